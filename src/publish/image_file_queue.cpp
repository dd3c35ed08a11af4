#include "publish/image_file_queue.h"

#include <exception>
#include <utility>

#include "publish/save_and_publish.h"

namespace tidemark {

ImageFileQueue::ImageFileQueue() : thread_([this] { Serve(); }) {}

ImageFileQueue::~ImageFileQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    thread_.join();
}

std::future<Result<void>> ImageFileQueue::Write(QImage image, std::string path) {
    Job job{std::move(image), std::move(path), {}};
    std::future<Result<void>> written = job.written.get_future();
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    queued_.notify_all();
    return written;
}

void ImageFileQueue::Serve() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        try {
            job.written.set_value(WriteImageFile(job.image, job.path));
        } catch (const std::exception& error) {
            // Out of memory while encoding: the file is not written, and that is told.
            job.written.set_value(Fault{"Cannot write " + job.path + ": " + error.what(), job.path});
        }
    }
}

}  // namespace tidemark
