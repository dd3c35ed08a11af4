// The notification datagrams reach the socket the service manager names, path or
// abstract, and the environment that names it is taken away from child processes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "devices/net/service_manager.h"
#include "support/notify_listener.h"
#include "support/temp_folder.h"

using namespace tidemark;
using namespace tidemark::testsupport;
using namespace std::chrono_literals;

namespace {

std::string AbstractName(const std::string& what) {
    return "@tidemark-test-" + what + "-" + std::to_string(::getpid());
}

}  // namespace

TEST(ServiceManagerLink, SendsOneDatagramToASocketPathOrAnAbstractName) {
    TempFolder folder;
    for (const std::string& address : {folder.File("notify.sock"), AbstractName("send")}) {
        NotifyListener manager(address);
        ASSERT_TRUE(manager.ok()) << manager.error();
        auto link = ServiceManagerLink::Open(address, 0us);
        ASSERT_TRUE(link.ok()) << link.error();
        ASSERT_TRUE((*link)->Send("READY=1\nSTATUS=page 1").ok()) << address;
        ASSERT_TRUE(manager.WaitFor("READY", 5s)) << address;
        ASSERT_EQ(manager.Received().size(), 1u);
        EXPECT_EQ(manager.Received()[0].text, "READY=1\nSTATUS=page 1");
    }
}

TEST(ServiceManagerLink, RefusesAddressesThatNameNoSocketAndToldNobodyIsAFault) {
    EXPECT_FALSE(ServiceManagerLink::Open("notify.sock", 0us).ok());
    EXPECT_FALSE(ServiceManagerLink::Open("@", 0us).ok());
    EXPECT_FALSE(ServiceManagerLink::Open("/" + std::string(200, 'x'), 0us).ok());
    TempFolder folder;
    auto link = ServiceManagerLink::Open(folder.File("nobody.sock"), 0us);
    ASSERT_TRUE(link.ok()) << link.error();
    EXPECT_FALSE((*link)->Send("WATCHDOG=1").ok());
}

TEST(ServiceManagerLink, TakesTheEnvironmentAndLeavesNoneOfItToChildProcesses) {
    TempFolder folder;
    NotifyListener manager(folder.File("notify.sock"));
    ASSERT_TRUE(manager.ok()) << manager.error();

    ::setenv("NOTIFY_SOCKET", manager.Address().c_str(), 1);
    ::setenv("WATCHDOG_USEC", "30000000", 1);
    ::setenv("WATCHDOG_PID", std::to_string(::getpid()).c_str(), 1);
    auto link = ServiceManagerLink::TakeFromEnvironment();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Watchdog(), 30s);
    EXPECT_EQ(std::getenv("NOTIFY_SOCKET"), nullptr);
    EXPECT_EQ(std::getenv("WATCHDOG_USEC"), nullptr);
    EXPECT_EQ(std::getenv("WATCHDOG_PID"), nullptr);
    ASSERT_TRUE(link->Send("WATCHDOG=1").ok());
    EXPECT_TRUE(manager.WaitFor("WATCHDOG", 5s));

    // A watchdog meant for another process (a parent that passed its environment on)
    // is not this one's to feed.
    ::setenv("NOTIFY_SOCKET", manager.Address().c_str(), 1);
    ::setenv("WATCHDOG_USEC", "30000000", 1);
    ::setenv("WATCHDOG_PID", std::to_string(::getpid() + 1).c_str(), 1);
    link = ServiceManagerLink::TakeFromEnvironment();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Watchdog(), 0us);

    ::setenv("WATCHDOG_USEC", "not a number", 1);
    ::setenv("NOTIFY_SOCKET", manager.Address().c_str(), 1);
    link = ServiceManagerLink::TakeFromEnvironment();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Watchdog(), 0us);

    // Started by hand: no manager, nothing to tell.
    ::setenv("WATCHDOG_USEC", "30000000", 1);
    EXPECT_EQ(ServiceManagerLink::TakeFromEnvironment(), nullptr);
    EXPECT_EQ(std::getenv("WATCHDOG_USEC"), nullptr);
}
