#include "data/fetch_thread.h"

#include <exception>
#include <utility>

#include "data/database_access.h"

namespace tidemark {

Result<std::unique_ptr<FetchThread>> FetchThread::Start(const SetupSettings& settings, const std::string& programFolder,
                                                        std::chrono::milliseconds lockWait) {
    std::unique_ptr<FetchThread> fetcher(new FetchThread);
    FetchThread& f = *fetcher;
    f.thread_ = std::thread([&f, settings, programFolder, lockWait] { f.Serve(settings, programFolder, lockWait); });
    std::unique_lock lock(f.mutex_);
    f.changed_.wait(lock, [&f] { return f.opened_.has_value(); });
    if (!*f.opened_) {
        Fault fault = f.opened_->fault();
        lock.unlock();
        f.thread_.join();
        return fault;
    }
    return fetcher;
}

FetchThread::~FetchThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void FetchThread::Begin(Job job) {
    {
        std::lock_guard lock(mutex_);
        job_ = std::move(job);
        done_.reset();
    }
    changed_.notify_all();
}

Result<void> FetchThread::Finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return done_.has_value(); });
    Result<void> result = std::move(*done_);
    done_.reset();
    return result;
}

void FetchThread::Serve(const SetupSettings& settings, const std::string& programFolder,
                        std::chrono::milliseconds lockWait) {
    Result<std::unique_ptr<Database>> opened = OpenDatabase(settings, programFolder, lockWait);
    {
        std::lock_guard lock(mutex_);
        opened_ = opened ? Result<void>{} : Result<void>{opened.fault()};
    }
    changed_.notify_all();
    if (!opened) return;
    std::unique_ptr<Database> db = std::move(opened.value());
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || job_.has_value(); });
            if (!job_) break;
            job = std::move(*job_);
            job_.reset();
        }
        Result<void> result = [&]() -> Result<void> {
            try {
                return job(*db);
            } catch (const std::exception& error) {
                // Nothing may leave the thread: the window's thread reports the fault.
                return Fault{error.what()};
            }
        }();
        {
            std::lock_guard lock(mutex_);
            done_ = std::move(result);
        }
        changed_.notify_all();
    }
    // The connection is closed here, on the thread that opened it.
    db.reset();
}

}  // namespace tidemark
