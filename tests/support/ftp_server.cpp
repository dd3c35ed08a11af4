#include "support/ftp_server.h"

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>

#include "support/run_program.h"

namespace tidemark::testsupport {

namespace {

std::string ScriptPath() { return std::string(TIDEMARK_TEST_SUPPORT_DIR) + "/ftp_server.py"; }

std::vector<std::string> ServerCommand(const FtpServerSettings& settings, const std::string& home,
                                       const std::string& user, const std::string& password,
                                       const std::string& readyFile, const std::string& commandLog) {
    // Debian's python modules are found by Debian's interpreter, not another first on PATH.
    std::vector<std::string> argv = {"/usr/bin/python3", ScriptPath(), "--home",        home,
                                     "--user",           user,         "--password",    password,
                                     "--ready-file",     readyFile,    "--command-log", commandLog};
    if (!settings.certFile.empty()) argv.insert(argv.end(), {"--cert", settings.certFile, "--key", settings.keyFile});
    if (settings.keepOnlyBytes >= 0) argv.insert(argv.end(), {"--keep-only", std::to_string(settings.keepOnlyBytes)});
    if (settings.cutAfterBytes >= 0) argv.insert(argv.end(), {"--cut-after", std::to_string(settings.cutAfterBytes)});
    if (settings.stallAfterBytes >= 0)
        argv.insert(argv.end(), {"--stall-after", std::to_string(settings.stallAfterBytes)});
    if (settings.diskFullAfterBytes >= 0)
        argv.insert(argv.end(), {"--disk-full-after", std::to_string(settings.diskFullAfterBytes)});
    if (settings.refuseRenameOver) argv.push_back("--refuse-rename-over");
    if (settings.failRnto > 0) argv.insert(argv.end(), {"--fail-rnto", std::to_string(settings.failRnto)});
    if (settings.readBytesPerSecond >= 0)
        argv.insert(argv.end(), {"--read-limit", std::to_string(settings.readBytesPerSecond)});
    return argv;
}

}  // namespace

FtpServer::FtpServer(FtpServerSettings settings) : settings_(std::move(settings)) {}

bool FtpServer::Start(std::string* error) {
    if (!folder_.ok()) {
        if (error) *error = folder_.error();
        return false;
    }
    mkdir(Home().c_str(), 0755);
    std::string readyFile = folder_.File("port");
    std::string log = folder_.File("server.log");
    if (!process_.Start(ServerCommand(settings_, Home(), User(), Password(), readyFile, folder_.File("commands.log")),
                        log, error))
        return false;
    if (WaitForText(readyFile, "\n", process_, std::chrono::seconds(20))) {
        port_ = std::atoi(ReadWholeFile(readyFile).c_str());
        return true;
    }
    process_.Stop();
    if (error) *error = "The FTP test server did not start:\n" + ReadWholeFile(log);
    return false;
}

bool FtpServer::MakeFolder(const std::string& relative) const { return mkdir((Home() + relative).c_str(), 0755) == 0; }

std::string FtpServer::Read(const std::string& relative) const { return ReadWholeFile(Home() + relative); }

bool FtpServer::Exists(const std::string& relative) const {
    struct stat info {};
    return stat((Home() + relative).c_str(), &info) == 0;
}

std::vector<std::string> FtpServer::Commands() const {
    std::vector<std::string> lines;
    std::istringstream log(ReadWholeFile(folder_.File("commands.log")));
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

bool MakeSelfSignedCertificate(const TempFolder& folder, std::string* error) {
    std::vector<std::string> argv = {"openssl",
                                     "req",
                                     "-x509",
                                     "-newkey",
                                     "ec",
                                     "-pkeyopt",
                                     "ec_paramgen_curve:prime256v1",
                                     "-nodes",
                                     "-days",
                                     "2",
                                     "-subj",
                                     "/CN=127.0.0.1",
                                     "-addext",
                                     "subjectAltName=IP:127.0.0.1",
                                     "-keyout",
                                     folder.File("key.pem"),
                                     "-out",
                                     folder.File("cert.pem")};
    ProgramResult result = RunProgram(argv, folder.File("openssl.out"));
    if (result.exitCode == 0) return true;
    if (error) *error = CommandLine(argv) + " failed:\n" + result.output;
    return false;
}

}  // namespace tidemark::testsupport
