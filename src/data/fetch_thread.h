#pragma once
// A second connection to the program's database on a thread of its own, so one graph is
// fetched there while the window's thread fetches another and a page of a local database
// is read on both cores. Connections belong to the thread that opened them: the thread
// opens its own and closes it before it ends.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/result.h"
#include "setup/setup_model.h"
#include "storage/db/database.h"

namespace tidemark {

class FetchThread {
public:
    using Job = std::function<Result<void>(Database&)>;

    // Starts the thread, which opens its connection while the caller goes on: a server's
    // connection takes a while to open.
    static std::unique_ptr<FetchThread> Start(const SetupSettings& settings, const std::string& programFolder,
                                              std::chrono::milliseconds lockWait);
    // Waits for a job still running, closes the connection and ends the thread.
    ~FetchThread();
    FetchThread(const FetchThread&) = delete;
    FetchThread& operator=(const FetchThread&) = delete;

    // Runs `job` on the thread's connection. One job at a time: Finish() before the next.
    void Begin(Job job);
    // Waits for the job begun last and gives its result; nothing when the connection could
    // not be opened and the job was not run (nor will any be).
    std::optional<Result<void>> Finish();

private:
    FetchThread() = default;
    void Serve(const SetupSettings& settings, const std::string& programFolder, std::chrono::milliseconds lockWait);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Job> job_;
    // The job's result; nothing in it when there is no connection to run jobs on.
    std::optional<std::optional<Result<void>>> done_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tidemark
