#include "data/fetch_thread.h"

#include <exception>
#include <utility>

#include "data/database_access.h"
#include "storage/db/database.h"

namespace tidemark {

std::unique_ptr<FetchThread> FetchThread::Start(const SetupSettings& settings, const std::string& programFolder,
                                                std::chrono::milliseconds lockWait) {
    LoadConnectionDriver(settings.connectionstring, programFolder);
    std::unique_ptr<FetchThread> fetcher(new FetchThread);
    FetchThread& f = *fetcher;
    f.thread_ = std::thread([&f, settings, programFolder, lockWait] { f.Serve(settings, programFolder, lockWait); });
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

std::optional<Result<void>> FetchThread::Finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return done_.has_value(); });
    std::optional<Result<void>> result = std::move(*done_);
    done_.reset();
    return result;
}

void FetchThread::Serve(const SetupSettings& settings, const std::string& programFolder,
                        std::chrono::milliseconds lockWait) {
    Result<std::unique_ptr<Database>> opened = OpenDatabase(settings, programFolder, lockWait);
    if (!opened) {
        // Every job, now and later, is answered with nothing: the caller runs it itself.
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || job_.has_value(); });
            if (!job_) return;
            job_.reset();
            done_.emplace(std::nullopt);
            lock.unlock();
            changed_.notify_all();
        }
    }
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
            done_.emplace(std::move(result));
        }
        changed_.notify_all();
    }
    // The connection is closed here, on the thread that opened it.
    db.reset();
}

}  // namespace tidemark
