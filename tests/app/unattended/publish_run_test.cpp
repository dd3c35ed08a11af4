// `tidemark 1 PASSWORD --folder DIR` on the demo folder with publishing settings that name
// a private FTP server: every page image arrives byte for byte in the site's folder, and
// the round ends by itself also when the server is down or never answers.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/color.h"
#include "core/textfile.h"
#include "pages/flood_bands.h"
#include "support/child_process.h"
#include "support/ftp_server.h"
#include "support/loopback.h"
#include "support/reply_dav_server.h"
#include "support/run_program.h"
#include "support/ssh_server.h"
#include "support/temp_folder.h"

using namespace tidemark;
using namespace tidemark::testsupport;
namespace fs = std::filesystem;

namespace {

constexpr const char* kNow = "2024-03-01 07:25";

// A demo program folder with a 1920 x 1080 screen for the headless run.
class DemoFolder {
public:
    DemoFolder() {
        ProgramResult made = RunProgram({TIDEMARK_DEMO_EXE, Program(), "--now", kNow}, root_.File("demo.log"));
        ok_ = made.exitCode == 0;
        error_ = made.output;
        root_.Write("screen.json", R"({"screens":[{"name":"s1","x":0,"y":0,"width":1920,"height":1080,)"
                                   R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    std::string Program() const { return root_.File("Tidemark/"); }
    std::string ScreenFile() const { return root_.File("screen.json"); }

    void PublishTo(const std::string& address, const std::string& folder, const std::string& user) const {
        ASSERT_TRUE(WriteFileAtomic(Program() + "Tidemark_autoweb.txt",
                                    JoinLinesCrLf({address, folder, user, " 0  Separately on/off"})));
    }

    std::vector<std::string> PageImages() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Program())) {
            std::string name = e.path().filename().string();
            if (name.rfind("Tidemark_window", 0) == 0 && e.path().extension() == ".png") names.push_back(name);
        }
        return names;
    }

    // The command line of an unattended round, with the password on it unless empty.
    std::vector<std::string> Arguments(const std::string& password) const {
        std::vector<std::string> argv{TIDEMARK_EXE, "1"};
        if (!password.empty()) argv.push_back(password);
        for (const std::string& a :
             {std::string("--headless"), std::string("--folder"), Program(), std::string("--now"), std::string(kNow)})
            argv.push_back(a);
        return argv;
    }

    // One unattended round, with the password on the command line or in the environment.
    ProgramResult Run(const std::string& password, bool passwordInEnvironment = false) const {
        std::vector<std::string> argv = Arguments(passwordInEnvironment ? std::string() : password);
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + ScreenFile()).c_str(), 1);
        if (passwordInEnvironment)
            ::setenv("TIDEMARK_FTP_PASSWORD", password.c_str(), 1);
        else
            ::unsetenv("TIDEMARK_FTP_PASSWORD");
        ProgramResult r = RunProgram(argv, root_.File("run.log"));
        ::unsetenv("TIDEMARK_FTP_PASSWORD");
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return r;
    }

private:
    TempFolder root_{"tidemark-publish"};
    bool ok_ = false;
    std::string error_;
};

std::string LastLine(const std::string& output) {
    std::vector<std::string> lines = NonEmptyLines(output);
    return lines.empty() ? std::string() : lines.back();
}

// /proc/PID/<name> with its NUL separators as spaces.
std::string ProcFile(pid_t pid, const std::string& name) {
    std::string text = ReadWholeFile("/proc/" + std::to_string(pid) + "/" + name);
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

// Every process below pid, found by the parent field of /proc/*/stat.
std::vector<pid_t> Descendants(pid_t pid) {
    std::vector<std::pair<pid_t, pid_t>> parents;  // (process, parent)
    for (const auto& e : fs::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = ReadWholeFile(e.path().string() + "/stat");
        // "pid (comm) state ppid ...": the command may hold spaces and brackets.
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2)
            parents.emplace_back(static_cast<pid_t>(std::stoi(name)), static_cast<pid_t>(parent));
    }
    std::vector<pid_t> found{pid};
    for (size_t i = 0; i < found.size(); ++i)
        for (const auto& [process, parent] : parents)
            if (parent == found[i]) found.push_back(process);
    found.erase(found.begin());
    return found;
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(PublishRun, EveryPageImageArrivesWholeInTheSiteFolder) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    FtpServer server;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    ASSERT_TRUE(server.MakeFolder("river pages"));
    demo.PublishTo(server.HostAndPort(), "river pages", server.User());

    ProgramResult run = demo.Run(server.Password());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::vector<std::string> images = demo.PageImages();
    ASSERT_GE(images.size(), 5u) << run.output;
    for (const std::string& name : images) {
        SCOPED_TRACE(name);
        auto local = ReadFileBytes(demo.Program() + name);
        ASSERT_TRUE(local);
        EXPECT_EQ(server.Read("river pages/" + name), *local);
    }
    // The demo folder has the web page's template: the feed and the page follow the images.
    const std::vector<std::string> siteFiles = {"Tidemark_values.json", "Tidemark_values.csv", "index.html"};
    for (const std::string& name : siteFiles) {
        SCOPED_TRACE(name);
        auto local = ReadFileBytes(demo.Program() + name);
        ASSERT_TRUE(local);
        EXPECT_EQ(server.Read("river pages/" + name), *local);
    }
    const int files = static_cast<int>(images.size() + siteFiles.size());
    EXPECT_EQ(Count(run.output, "FTP'ing... "), files) << run.output;
    EXPECT_EQ(Count(run.output, " ...done"), files) << run.output;
    // Each image went under a part name of its own and was renamed onto its name, so the
    // site never showed a half-sent one.
    const std::vector<std::string> commands = server.Commands();
    for (const std::string& name : images) {
        SCOPED_TRACE(name);
        auto renamed = std::find(commands.begin(), commands.end(), "RNTO " + name + " -> 250");
        ASSERT_NE(renamed, commands.end());
        ASSERT_NE(renamed, commands.begin());
        const std::string from = *(renamed - 1);
        EXPECT_EQ(from.rfind("RNFR ." + name + ".part-", 0), 0u) << from;
        const std::string part = from.substr(5, from.find(" -> ") - 5);
        EXPECT_NE(std::find(commands.begin(), renamed, "STOR " + part + " -> 226"), renamed) << part;
        EXPECT_FALSE(server.Exists("river pages/" + part));
    }
    // The page went up last, under a part name too: a visitor never got a page naming
    // images that had not arrived.
    auto renamedAt = [&commands](const std::string& name) {
        return std::find(commands.begin(), commands.end(), "RNTO " + name + " -> 250") - commands.begin();
    };
    const auto page = renamedAt("index.html");
    ASSERT_LT(page, static_cast<long>(commands.size()));
    EXPECT_EQ(commands[static_cast<size_t>(page) - 1].rfind("RNFR .index.html.part-", 0), 0u);
    for (const std::string& name : images) EXPECT_LT(renamedAt(name), renamedAt("Tidemark_values.json")) << name;
    EXPECT_LT(renamedAt("Tidemark_values.json"), page);
    EXPECT_LT(renamedAt("Tidemark_values.csv"), page);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output.find(server.Password()), std::string::npos);
    auto settings = ReadFileBytes(demo.Program() + "Tidemark_autoweb.txt");
    EXPECT_EQ(settings->find(server.Password()), std::string::npos);
}

TEST(PublishRun, APasswordFromTheEnvironmentAndAnEmptyFolderUseTheLoginDirectory) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    FtpServer server;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    demo.PublishTo(server.HostAndPort(), "", server.User());
    ProgramResult run = demo.Run(server.Password(), true);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const std::string& name : demo.PageImages()) EXPECT_TRUE(server.Exists(name)) << name;
}

TEST(PublishRun, AWrongPasswordOrAServerThatIsDownOrSilentFailsEachImageAndTheRoundEnds) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    FtpServer server;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    SilentListener silent;
    ASSERT_TRUE(silent.ok());
    const std::vector<std::string> addresses = {server.HostAndPort(), "127.0.0.1:" + std::to_string(FreeLoopbackPort()),
                                                "127.0.0.1:" + std::to_string(silent.Port())};
    for (const std::string& address : addresses) {
        SCOPED_TRACE(address);
        demo.PublishTo(address, "", server.User());
        ::setenv("TIDEMARK_FTP_TIMEOUT", "2", 1);
        auto start = std::chrono::steady_clock::now();
        ProgramResult run = demo.Run("not the password");
        ::unsetenv("TIDEMARK_FTP_TIMEOUT");
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        size_t images = demo.PageImages().size();
        EXPECT_GE(images, 5u);
        EXPECT_EQ(Count(run.output, " ...failed"), static_cast<int>(images)) << run.output;
        EXPECT_EQ(Count(run.output, " ...done"), 0);
        EXPECT_LT(seconds, 120);
        // Nothing went out: the round says so in its status and its last line.
        EXPECT_EQ(run.exitCode, 3) << run.output;
        EXPECT_EQ(LastLine(run.output), "tidemark: ended, but " + std::to_string(images) + " of " +
                                            std::to_string(images) + " images were not written or sent");
    }
}

// A site whose disk fills up keeps the images it had: the round ends with status 3 and
// no part file or cut image is left on it.
TEST(PublishRun, ASiteThatFillsUpKeepsItsOldImagesAndTheRoundSaysSo) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    FtpServerSettings full;
    full.diskFullAfterBytes = 4096;
    FtpServer server(full);
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    const std::string old = "the image of the last good round";
    ASSERT_TRUE(WriteFileAtomic(server.Home() + "Tidemark_window1.png", old));
    demo.PublishTo(server.HostAndPort(), "", server.User());
    ProgramResult run = demo.Run(server.Password());
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_EQ(server.Read("Tidemark_window1.png"), old);
    for (const auto& e : fs::directory_iterator(server.Home()))
        EXPECT_EQ(e.path().filename().string().find(".part-"), std::string::npos) << e.path();
}

// A local publishing folder that is missing writes nothing, and a settings file that
// cannot be read (a line over the limit) leaves the round not knowing where its images
// go; neither is a normal end.
TEST(PublishRun, ARoundThatCouldNotWriteItsImagesEndsWithStatusThree) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    for (bool damaged : {false, true}) {
        SCOPED_TRACE(damaged ? "damaged settings" : "missing folder");
        demo.PublishTo(damaged ? std::string(70'000, 'x') : demo.Program() + "no such folder/", "", "");
        ProgramResult run = demo.Run("");
        EXPECT_EQ(run.exitCode, 3) << run.output;
        if (damaged) {
            EXPECT_NE(run.output.find("longer than 65536 characters"), std::string::npos) << run.output;
        }
        const std::string last = LastLine(run.output);
        EXPECT_EQ(last.rfind("tidemark: ended, but ", 0), 0u) << run.output;
        const int images = std::atoi(last.c_str() + std::string("tidemark: ended, but ").size());
        EXPECT_GE(images, 5);
        EXPECT_NE(last.find(" of " + std::to_string(images) + " images"), std::string::npos) << last;
    }
}

// The password given on the command line is overwritten in the process's own argument
// memory; one given in the environment is removed before any child process starts.
TEST(PublishRun, ThePasswordIsNeitherInTheProcessListNorInheritedByChildProcesses) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    demo.PublishTo("127.0.0.1:" + std::to_string(FreeLoopbackPort()), "", "display");
    const std::string log = demo.Program() + "spawned.log";
    auto start = [&](const std::string& password, bool inEnvironment, ChildProcess& process) {
        std::vector<std::string> argv{TIDEMARK_EXE, "2"};
        if (!inEnvironment) argv.push_back(password);
        for (const std::string& a : {std::string("--headless"), std::string("--folder"), demo.Program()})
            argv.push_back(a);
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + demo.ScreenFile()).c_str(), 1);
        if (inEnvironment) ::setenv("TIDEMARK_FTP_PASSWORD", password.c_str(), 1);
        std::string error;
        bool started = process.Start(argv, log, &error);
        ::unsetenv("TIDEMARK_FTP_PASSWORD");
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        EXPECT_TRUE(started) << error;
        // Once an image is written the browser engine's processes run too.
        EXPECT_TRUE(WaitForText(log, "Saved... ", process, std::chrono::seconds(90))) << ReadWholeFile(log);
    };

    const std::string onCommandLine = "cmdline-Secret-4711";
    {
        ChildProcess run;
        start(onCommandLine, false, run);
        const std::string cmdline = ProcFile(run.Pid(), "cmdline");
        EXPECT_EQ(cmdline.find(onCommandLine), std::string::npos) << cmdline;
        EXPECT_NE(cmdline.find(std::string(onCommandLine.size(), 'x')), std::string::npos) << cmdline;
    }
    const std::string inEnvironment = "environ-Secret-0815";
    {
        ChildProcess run;
        start(inEnvironment, true, run);
        // The process's own block still names the variable, with its value overwritten.
        const std::string own = ProcFile(run.Pid(), "environ");
        EXPECT_NE(own.find("TIDEMARK_FTP_PASSWORD=" + std::string(inEnvironment.size(), 'x')), std::string::npos);
        EXPECT_EQ(own.find(inEnvironment), std::string::npos);
        const std::vector<pid_t> children = Descendants(run.Pid());
        EXPECT_FALSE(children.empty()) << "no child processes of the browser engine";
        for (pid_t pid : children) {
            const std::string environment = ProcFile(pid, "environ");
            EXPECT_FALSE(environment.empty()) << pid;
            EXPECT_EQ(environment.find(inEnvironment), std::string::npos) << pid;
            EXPECT_EQ(environment.find("TIDEMARK_FTP_PASSWORD="), std::string::npos) << pid;
        }
    }
}

TEST(PublishRun, PageOneCarriesItsFloodBands) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    demo.PublishTo("", "", "");
    ProgramResult run = demo.Run("");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    QImage page(QString::fromStdString(demo.Program() + "Tidemark_window1.png"));
    ASSERT_FALSE(page.isNull()) << run.output;
    // The band colours as alpha 100 leaves them on the graph's white plot.
    auto onWhite = [](int32_t color) {
        Rgb c = SplitColor(color);
        auto mix = [](int v) { return (v * 100 + 255 * 155 + 127) / 255; };
        return qRgb(mix(c.red), mix(c.green), mix(c.blue));
    };
    std::set<FloodCategory> seen;
    for (FloodCategory category :
         {FloodCategory::Major, FloodCategory::Moderate, FloodCategory::Minor, FloodCategory::Action}) {
        QRgb want = onWhite(FloodCategoryColor(category));
        int pixels = 0;
        for (int y = 0; y < page.height() / 2; y += 2)
            for (int x = 0; x < page.width() / 2; x += 2)
                if (page.pixel(x, y) == want) ++pixels;
        if (pixels > 50) seen.insert(category);
    }
    EXPECT_GE(seen.size(), 2u) << "flood bands on page 1: " << seen.size();
}

namespace {

// "old" under the name of every page image a round writes, as a round before left them.
void PlaceOldImages(const std::string& folder) {
    for (int page = 1; page <= 12; ++page)
        ASSERT_TRUE(WriteFileAtomic(folder + "Tidemark_window" + std::to_string(page) + ".png", "old"));
}

// The round's images that PlaceOldImages gave an old image to replace: the pages', not
// the pictures of single graphs (Tidemark_window_<page>_<graph>.png).
std::vector<std::string> ImagesReplacingOldOnes(const DemoFolder& demo) {
    std::vector<std::string> names;
    for (const std::string& name : demo.PageImages())
        if (name.rfind("Tidemark_window_", 0) != 0) names.push_back(name);
    return names;
}

// A round of the demo to the site's login directory, the password on the command line.
ProgramResult RunRoundTo(const DemoFolder& demo, const std::string& address, const std::string& user,
                         const std::string& password) {
    demo.PublishTo(address, "", user);
    return demo.Run(password);
}

// An SFTP round, the server's host key from its own known-hosts file.
ProgramResult RunSftpRound(const DemoFolder& demo, const SshServer& server) {
    ::setenv("TIDEMARK_SFTP_KNOWN_HOSTS", server.KnownHostsFile().c_str(), 1);
    ProgramResult run = RunRoundTo(demo, "sftp://" + server.HostAndPort(), server.User(), server.Password());
    ::unsetenv("TIDEMARK_SFTP_KNOWN_HOSTS");
    return run;
}

// The position of the first line that starts with `start` and holds `holding`; the end
// when there is none.
size_t Find(const std::vector<std::string>& lines, const std::string& start, const std::string& holding = "") {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(start, 0) == 0 && lines[i].find(holding) != std::string::npos) return i;
    return lines.size();
}

bool AnyHolds(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&text](const std::string& line) { return line.find(text) != std::string::npos; });
}

constexpr const char* kInSteps = "cannot replace a file in one step";

}  // namespace

// OpenSSH's server offers posix-rename@openssh.com: every image of the round replaces the
// one before in one step, and the server's log never shows an image's name removed.
TEST(PublishRun, AnSftpRoundReplacesEachImageInOneStep) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    SshServer server;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    ASSERT_TRUE(server.PasswordLogin()) << "sshd could not be given a test password here";
    PlaceOldImages(server.LoginDirectory());
    ProgramResult run = RunSftpRound(demo, server);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find(kInSteps), std::string::npos) << run.output;
    const std::vector<std::string> images = demo.PageImages();
    ASSERT_GE(images.size(), 5u);
    const std::vector<std::string> requests = server.SftpRequests();
    for (const std::string& name : images) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadWholeFile(server.LoginDirectory() + name), ReadWholeFile(demo.Program() + name));
        EXPECT_LT(Find(requests, "posix-rename old \"." + name + ".part-", " new \"" + name + "\""), requests.size())
            << testing::PrintToString(requests);
        EXPECT_FALSE(AnyHolds(requests, "remove name \"" + name + "\""));
    }
}

// An SFTP server without a one-step replace (OpenSSH's told to refuse it) and an FTP
// server that will not rename onto a file: each image's name is without an image only
// between two renames (the old one aside, the new one in), never removed, and the round
// says so once.
TEST(PublishRun, ServersWithoutAOneStepReplaceLeaveNoNameMissingAndAreToldOnce) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    {
        SCOPED_TRACE("SFTP");
        SshServer server("posix-rename");
        std::string error;
        ASSERT_TRUE(server.Start(&error)) << error;
        ASSERT_TRUE(server.PasswordLogin()) << "sshd could not be given a test password here";
        PlaceOldImages(server.LoginDirectory());
        ProgramResult run = RunSftpRound(demo, server);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(Count(run.output, kInSteps), 1) << run.output;
        const std::vector<std::string> requests = server.SftpRequests();
        for (const std::string& name : ImagesReplacingOldOnes(demo)) {
            SCOPED_TRACE(name);
            EXPECT_EQ(ReadWholeFile(server.LoginDirectory() + name), ReadWholeFile(demo.Program() + name));
            EXPECT_FALSE(AnyHolds(requests, "remove name \"" + name + "\""));
            const size_t aside = Find(requests, "rename old \"" + name + "\" new \"." + name + ".old-");
            ASSERT_LT(aside + 1, requests.size()) << testing::PrintToString(requests);
            EXPECT_EQ(requests[aside + 1].rfind("rename old \"." + name + ".part-", 0), 0u) << requests[aside + 1];
            EXPECT_NE(requests[aside + 1].find(" new \"" + name + "\""), std::string::npos) << requests[aside + 1];
        }
    }
    {
        SCOPED_TRACE("FTP");
        FtpServerSettings refusing;
        refusing.refuseRenameOver = true;
        FtpServer server(refusing);
        std::string error;
        ASSERT_TRUE(server.Start(&error)) << error;
        PlaceOldImages(server.Home());
        ProgramResult run = RunRoundTo(demo, server.HostAndPort(), server.User(), server.Password());
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(Count(run.output, kInSteps), 1) << run.output;
        const std::vector<std::string> commands = server.Commands();
        for (const std::string& name : ImagesReplacingOldOnes(demo)) {
            SCOPED_TRACE(name);
            EXPECT_EQ(server.Read(name), ReadWholeFile(demo.Program() + name));
            EXPECT_EQ(Find(commands, "DELE " + name + " "), commands.size());
            const size_t aside = Find(commands, "RNTO ." + name + ".old-");
            ASSERT_LT(aside + 2, commands.size()) << testing::PrintToString(commands);
            EXPECT_EQ(commands[aside + 1].rfind("RNFR ." + name + ".part-", 0), 0u) << commands[aside + 1];
            EXPECT_EQ(commands[aside + 2], "RNTO " + name + " -> 250");
        }
    }
}

namespace {

// Temporary files in a site's folder: two that rounds before left (one of an older
// program's form), one an upload still running might have made, and two of others.
struct LeftFiles {
    std::vector<std::string> stale = {".Tidemark_window1.png.part-1000000000-4711-0badcafe",
                                      ".index.html.part-4711-deadbeef"};
    std::vector<std::string> kept = {
        ".Tidemark_window2.png.part-" + std::to_string(std::time(nullptr) + 3600) + "-1-0000000a",
        ".holiday.png.part-1000000000-4711-0badcafe", "notes.txt"};

    // Places the files in the site's `folder`, runs `round` to the site, and checks what
    // is left.
    void ExpectARoundTidies(const std::string& folder, const std::function<ProgramResult()>& round) const {
        for (const auto* names : {&stale, &kept})
            for (const std::string& name : *names) ASSERT_TRUE(WriteFileAtomic(folder + name, "left"));
        ProgramResult run = round();
        ASSERT_EQ(run.exitCode, 0) << run.output;
        for (const std::string& name : stale) EXPECT_FALSE(fs::exists(folder + name)) << name;
        for (const std::string& name : kept) EXPECT_TRUE(fs::exists(folder + name)) << name;
    }
};

}  // namespace

// After a round, the site's folder holds no temporary file that uploads of earlier
// rounds left, on every protocol that can list it; files of others stay.
TEST(PublishRun, ARoundRemovesTheTemporaryFilesEarlierRoundsLeftOnTheServer) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    const LeftFiles left;
    FtpServer ftp;
    SshServer sftp;
    ReplyingDavServer dav;
    std::string error;
    ASSERT_TRUE(ftp.Start(&error)) << error;
    ASSERT_TRUE(sftp.Start(&error)) << error;
    ASSERT_TRUE(sftp.PasswordLogin()) << "sshd could not be given a test password here";
    ASSERT_TRUE(dav.Start(&error)) << error;
    {
        SCOPED_TRACE("FTP");
        left.ExpectARoundTidies(ftp.Home(),
                                [&] { return RunRoundTo(demo, ftp.HostAndPort(), ftp.User(), ftp.Password()); });
    }
    {
        SCOPED_TRACE("SFTP");
        left.ExpectARoundTidies(sftp.LoginDirectory(), [&] { return RunSftpRound(demo, sftp); });
    }
    SCOPED_TRACE("WebDAV");
    left.ExpectARoundTidies(dav.Root(), [&] { return RunRoundTo(demo, dav.Address(), dav.User(), dav.Password()); });
}

// A round killed while an image is on its way leaves its part file on the server; the
// next round removes it.
TEST(PublishRun, ThePartFileOfAKilledRoundIsGoneAfterTheNextRound) {
    DemoFolder demo;
    ASSERT_TRUE(demo.ok()) << demo.error();
    FtpServerSettings stalling;
    stalling.stallAfterBytes = 1000;
    FtpServer stalled(stalling);
    std::string error;
    ASSERT_TRUE(stalled.Start(&error)) << error;
    demo.PublishTo(stalled.HostAndPort(), "", stalled.User());

    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + demo.ScreenFile()).c_str(), 1);
    ChildProcess killed;
    ASSERT_TRUE(killed.Start(demo.Arguments(stalled.Password()), demo.Program() + "killed.log", &error)) << error;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string part;
    for (int i = 0; i < 900 && part.empty() && killed.Running(); ++i) {
        for (const auto& e : fs::directory_iterator(stalled.Home()))
            if (e.path().filename().string().find(".part-") != std::string::npos) part = e.path().filename();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_FALSE(part.empty()) << ReadWholeFile(demo.Program() + "killed.log");
    ::kill(killed.Pid(), SIGKILL);
    while (killed.Running()) std::this_thread::sleep_for(std::chrono::milliseconds(20));

    // The same site, served again by a server that takes files.
    FtpServer site;
    ASSERT_TRUE(site.Start(&error)) << error;
    fs::copy_file(stalled.Home() + part, site.Home() + part);
    demo.PublishTo(site.HostAndPort(), "", site.User());
    ProgramResult run = demo.Run(site.Password());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(site.Exists(part)) << part;
    for (const std::string& name : demo.PageImages()) EXPECT_TRUE(site.Exists(name)) << name;
}
