#pragma once
// Image files written on a thread of their own, in the order they were queued, so a
// page's image is encoded and written while the next page is drawn. Each file is
// replaced whole or left as it was, as WriteImageFile does it.
#include <QImage>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "core/result.h"

namespace tidemark {

class ImageFileQueue {
public:
    ImageFileQueue();
    // Writes what is still queued, then ends the thread.
    ~ImageFileQueue();
    ImageFileQueue(const ImageFileQueue&) = delete;
    ImageFileQueue& operator=(const ImageFileQueue&) = delete;

    // Queues the image for `path`; the future gives WriteImageFile's result.
    std::future<Result<void>> Write(QImage image, std::string path);

private:
    struct Job {
        QImage image;
        std::string path;
        std::promise<Result<void>> written;
    };

    void Serve();

    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tidemark
