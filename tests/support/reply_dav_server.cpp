#include "support/reply_dav_server.h"

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>

#include "support/run_program.h"

namespace tidemark::testsupport {

bool ReplyingDavServer::Start(std::string* error) {
    if (!folder_.ok()) {
        if (error) *error = folder_.error();
        return false;
    }
    mkdir(Root().c_str(), 0755);
    const std::string readyFile = folder_.File("port");
    const std::string log = folder_.File("server.log");
    // Debian's python modules are found by Debian's interpreter, not another first on PATH.
    std::vector<std::string> argv = {
        "/usr/bin/python3", std::string(TIDEMARK_TEST_SUPPORT_DIR) + "/reply_dav_server.py",
        "--root",           Root(),
        "--user",           User(),
        "--password",       Password(),
        "--ready-file",     readyFile,
        "--request-log",    folder_.File("requests.log"),
        "--refuse-file",    folder_.File("refused.txt")};
    if (!process_.Start(argv, log, error)) return false;
    if (WaitForText(readyFile, "\n", process_, std::chrono::seconds(20))) {
        port_ = std::atoi(ReadWholeFile(readyFile).c_str());
        return true;
    }
    process_.Stop();
    if (error) *error = "The WebDAV test server did not start:\n" + ReadWholeFile(log);
    return false;
}

void ReplyingDavServer::Refuse(const std::vector<std::string>& texts) const {
    std::string lines;
    for (const std::string& text : texts) lines += text + "\n";
    folder_.Write("refused.txt", lines);
}

std::string ReplyingDavServer::Read(const std::string& relative) const { return ReadWholeFile(Root() + relative); }

std::vector<std::string> ReplyingDavServer::Requests() const {
    std::vector<std::string> lines;
    std::istringstream log(ReadWholeFile(folder_.File("requests.log")));
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

}  // namespace tidemark::testsupport
