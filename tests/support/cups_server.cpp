#include "support/cups_server.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "core/vbtext.h"
#include "support/loopback.h"
#include "support/run_program.h"

namespace tidemark::testsupport {

namespace {

namespace fs = std::filesystem;

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr const char* kBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr const char* kPdfPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd";
constexpr const char* kSystemPdfConfig = "/etc/cups/cups-pdf.conf";

// "QUEUE-12 user size date" -> 12.
int JobNumber(const std::string& line) {
    std::string id = line.substr(0, line.find(' '));
    size_t dash = id.rfind('-');
    return dash == std::string::npos ? 0 : std::atoi(id.c_str() + dash + 1);
}

// Where the system's cups-pdf settings send the PDFs of jobs this process submits.
std::string SystemOutputFolder() {
    std::string out = "${HOME}/PDF";
    for (const std::string& line : NonEmptyLines(ReadWholeFile(kSystemPdfConfig)))
        if (line.rfind("Out ", 0) == 0) out = line.substr(4);
    const passwd* account = getpwuid(geteuid());
    out = ReplaceAll(out, "${HOME}", account ? account->pw_dir : "");
    out = ReplaceAll(out, "${USER}", account ? account->pw_name : "");
    return out.empty() || out.back() == '/' ? out : out + "/";
}

// The scheduler runs its filters as the unprivileged lp user, who must reach the spool.
bool MakeFolder(const std::string& path, mode_t mode, gid_t group, std::string* error) {
    if (mkdir(path.c_str(), mode) != 0 && errno != EEXIST) {
        if (error) *error = "Cannot make " + path;
        return false;
    }
    chmod(path.c_str(), mode);
    if (group != static_cast<gid_t>(-1) && chown(path.c_str(), 0, group) != 0) {
        if (error) *error = "Cannot give " + path + " to the lp group";
        return false;
    }
    return true;
}

}  // namespace

CupsServer::CupsServer() {
    const char* server = std::getenv("CUPS_SERVER");
    hadServer_ = server != nullptr;
    if (server) previousServer_ = server;
}

CupsServer::~CupsServer() {
    process_.Stop();
    if (hadServer_)
        setenv("CUPS_SERVER", previousServer_.c_str(), 1);
    else
        unsetenv("CUPS_SERVER");
}

bool CupsServer::WriteConfig(std::string* error) const {
    const std::string root = folder_.Path();
    std::string files = "ServerRoot " + root + "etc\n" + "RequestRoot " + root + "spool\n" + "TempDir " + root +
                        "spool/tmp\n" + "CacheDir " + root + "cache\n" + "StateDir " + root + "state\n" + "ErrorLog " +
                        root + "log/error_log\n" + "AccessLog " + root + "log/access_log\n" + "PageLog " + root +
                        "log/page_log\n" +
                        "ServerBin /usr/lib/cups\n"
                        "DataDir /usr/share/cups\n"
                        "SystemGroup root\n"
                        "User lp\n"
                        "Group lp\n";
    std::string daemon = "Listen 127.0.0.1:" + std::to_string(port_) + "\n" + "Listen " + socket_ + "\n" +
                         "LogLevel info\n"
                         "PreserveJobFiles Yes\n"
                         "Browsing No\n"
                         "WebInterface No\n"
                         "DefaultAuthType None\n"
                         "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                         "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                         "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n"
                         "</Policy>\n";
    // Label 0 keeps the file name the job's title alone; Spool keeps the backend's
    // working files out of the system's folders.
    std::string pdf = "Out " + output_ + "\nAnonDirName " + output_ + "\nSpool " + root + "pdfspool\nLabel 0\n";
    return folder_.Write("etc/cups-files.conf", files, error) && folder_.Write("etc/cupsd.conf", daemon, error) &&
           folder_.Write("cups-pdf.conf", pdf, error);
}

bool CupsServer::Launch(std::string* error) {
    std::string daemon = std::string(kCupsd) + " -f -c '" + folder_.File("etc/cupsd.conf") + "' -s '" +
                         folder_.File("etc/cups-files.conf") + "'";
    std::vector<std::string> argv = {"sh", "-c", "exec " + daemon};
    if (privateOutput_)
        argv = {"unshare", "-m", "sh", "-c",
                "mount --bind '" + folder_.File("cups-pdf.conf") + "' " + kSystemPdfConfig + " && exec " + daemon};
    std::string out = folder_.File("cupsd.out");
    if (!process_.Start(argv, out, error)) return false;
    std::string log = folder_.File("log/error_log");
    if (WaitForText(log, "Listening to " + socket_, process_, std::chrono::seconds(10))) return true;
    process_.Stop();
    if (error) *error = "cupsd did not start:\n" + ReadWholeFile(out) + ReadWholeFile(log);
    return false;
}

bool CupsServer::Start(std::string* error) {
    if (!folder_.ok()) {
        if (error) *error = folder_.error();
        return false;
    }
    for (const char* needed : {kCupsd, kBackend, kPdfPpd})
        if (access(needed, R_OK) != 0) {
            if (error) *error = std::string(needed) + " is missing (packages cups and printer-driver-cups-pdf)";
            return false;
        }
    // cupsd runs a backend that is not world-executable, like cups-pdf, as root, and
    // cups-pdf refuses to run as anyone else.
    if (geteuid() != 0) {
        if (error) *error = "The cups-pdf backend runs only under a scheduler started as root";
        return false;
    }
    const group* lp = getgrnam("lp");
    if (!lp) {
        if (error) *error = "There is no lp group for the scheduler's filters";
        return false;
    }
    const std::string root = folder_.Path();
    chmod(root.c_str(), 0755);
    if (!MakeFolder(root + "etc", 0755, -1, error) || !MakeFolder(root + "etc/ppd", 0755, -1, error) ||
        !MakeFolder(root + "spool", 0710, lp->gr_gid, error) ||
        !MakeFolder(root + "spool/tmp", 01770, lp->gr_gid, error) || !MakeFolder(root + "cache", 0755, -1, error) ||
        !MakeFolder(root + "state", 0755, -1, error) || !MakeFolder(root + "log", 0755, -1, error) ||
        !MakeFolder(root + "pdf", 0755, -1, error))
        return false;
    socket_ = root + "cups.sock";

    ProgramResult probe = RunProgram({"unshare", "-m", "true"}, folder_.File("probe.out"));
    privateOutput_ = probe.exitCode == 0;
    output_ = privateOutput_ ? root + "pdf/" : SystemOutputFolder();
    before_.clear();
    for (const std::string& pdf : PdfsInOutput()) before_.insert(pdf);

    // A port found free can be taken before cupsd binds it; try a few.
    for (int attempt = 0; attempt < 3; ++attempt) {
        port_ = FreeLoopbackPort();
        if (port_ != 0 && WriteConfig(error) && Launch(error)) {
            setenv("CUPS_SERVER", socket_.c_str(), 1);
            return true;
        }
    }
    return false;
}

bool CupsServer::AddPdfQueue(const std::string& name, std::string* error) {
    std::vector<std::string> argv = {"lpadmin", "-h", socket_, "-p", name, "-E", "-v", "cups-pdf:/", "-P", kPdfPpd};
    ProgramResult result = RunProgram(argv, folder_.File("lpadmin.out"), 30);
    if (result.exitCode == 0) return true;
    if (error) *error = CommandLine(argv) + " failed:\n" + result.output;
    return false;
}

bool CupsServer::SetDefaultQueue(const std::string& name, std::string* error) {
    std::vector<std::string> argv = {"lpadmin", "-h", socket_, "-d", name};
    ProgramResult result = RunProgram(argv, folder_.File("lpadmin.out"), 30);
    if (result.exitCode == 0) return true;
    if (error) *error = CommandLine(argv) + " failed:\n" + result.output;
    return false;
}

std::string CupsServer::Lpstat(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {"lpstat", "-h", socket_};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProgram(argv, folder_.File("lpstat.out"), 30).output;
}

std::vector<std::string> CupsServer::Queues() const { return NonEmptyLines(Lpstat({"-e"})); }

std::vector<std::string> CupsServer::Jobs() const {
    std::vector<std::string> jobs = NonEmptyLines(Lpstat({"-W", "completed", "-o"}));
    for (const std::string& job : NonEmptyLines(Lpstat({"-W", "not-completed", "-o"}))) jobs.push_back(job);
    // lpstat lists the newest first; job numbers grow.
    std::sort(jobs.begin(), jobs.end(),
              [](const std::string& a, const std::string& b) { return JobNumber(a) < JobNumber(b); });
    return jobs;
}

std::string CupsServer::SubmittedDocument(const std::string& job) const {
    char name[32];
    std::snprintf(name, sizeof name, "spool/d%05d-001", JobNumber(job));
    return folder_.File(name);
}

bool CupsServer::WaitUntilIdle(std::chrono::milliseconds limit) const {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (NonEmptyLines(Lpstat({"-W", "not-completed", "-o"})).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

std::vector<std::string> CupsServer::PdfsInOutput() const {
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(output_, ec))
        if (entry.is_regular_file() && entry.path().extension() == ".pdf")
            found.emplace_back(entry.last_write_time(), entry.path().string());
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (const auto& f : found) paths.push_back(f.second);
    return paths;
}

std::vector<std::string> CupsServer::NewPdfs() const {
    std::vector<std::string> paths;
    for (const std::string& pdf : PdfsInOutput())
        if (!before_.count(pdf)) paths.push_back(pdf);
    return paths;
}

}  // namespace tidemark::testsupport
