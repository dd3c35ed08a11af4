// The generated folder is what the program reads at start: it must load without a fault.
#include <gtest/gtest.h>

#include "core/daynum.h"
#include "data/load_pages.h"
#include "demo_support.h"
#include "support/recording_host.h"

using namespace tidemark;
namespace fs = std::filesystem;

TEST(DemoFolder, LoadsAllPagesWithCatalogueAndAlerts) {
    fs::path root = demo_test::MakeTempFolder();
    fs::path folder = root / "Tidemark";
    ASSERT_EQ(demo_test::RunDemo({folder.string(), "--now", demo_test::kNow}).status, 0);

    ProgramState state;
    state.programFolder = folder.string() + "/";
    RecordingHost host(MakeDayNumber(2024, 3, 1, 7, 25, 0));
    LoadPagesResult out = LoadPages(state, host, LoadMode::Full);
    ASSERT_TRUE(out.ok()) << out.error();
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();

    EXPECT_GE(state.pages.pagecount, 8);
    EXPECT_GT(state.catalogue.Count(), 20);
    EXPECT_EQ(state.lastUpdate, MakeDayNumber(2024, 3, 1, 7, 25, 0));
    EXPECT_TRUE(state.pages.alertspresent);
    EXPECT_FALSE(state.frequency.Empty());
    // The first graph of page 1 has a current value from the last hour.
    const SlotSeries& first = state.store.At(1, 0);
    EXPECT_GT(first.pointCount, 0);
    EXPECT_NE(first.currentValue, kMissing);
    EXPECT_GT(first.currentTime, MakeDayNumber(2024, 3, 1, 6, 0, 0));
    fs::remove_all(root);
}
