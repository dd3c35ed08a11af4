#include <gtest/gtest.h>

#include "pages/navigation.h"

using namespace tidemark;

namespace {

PageSet Pages(int count, std::initializer_list<int> removed = {}) {
    PageSet set;
    SizePageSet(set, count);
    set.pagecount = static_cast<int16_t>(count);
    for (int p : removed) set.Page(p).removed = true;
    return set;
}

}  // namespace

TEST(Navigation, NextAndPreviousSkipRemovedPagesAndWrap) {
    PageSet pages = Pages(5, {3});
    EXPECT_EQ(NextPageNumber(pages, 2), 4);
    EXPECT_EQ(NextPageNumber(pages, 5), 1);
    EXPECT_EQ(PreviousPageNumber(pages, 4), 2);
    EXPECT_EQ(PreviousPageNumber(pages, 1), 5);
    // Nothing shown yet: paging starts at page 1.
    EXPECT_EQ(NextPageNumber(pages, 0), 1);

    // Removed pages at both ends are skipped after wrapping too.
    PageSet ends = Pages(5, {1, 5});
    EXPECT_EQ(NextPageNumber(ends, 4), 2);
    EXPECT_EQ(PreviousPageNumber(ends, 2), 4);
}

TEST(Navigation, NowhereToGoKeepsThePage) {
    // Every page removed: the skip loops must not run for ever.
    PageSet all = Pages(3, {1, 2, 3});
    EXPECT_EQ(NextPageNumber(all, 2), 2);
    EXPECT_EQ(PreviousPageNumber(all, 2), 2);
    PageSet one = Pages(1);
    EXPECT_EQ(NextPageNumber(one, 1), 1);
    EXPECT_EQ(PreviousPageNumber(one, 1), 1);
    // A page number beyond the set (the last page was deleted) comes back inside it.
    EXPECT_EQ(PreviousPageNumber(Pages(3), 5), 3);
}

TEST(Navigation, ReturningToTheCycleStartEndsOnlyACommandLineRun) {
    ProgramState state;
    state.pages = Pages(3);
    state.currentpage = 3;
    state.imageCycleMarker = 1;
    state.imageCycleDone = {1, 2, 3};
    state.autostartseconds = 0;
    PageTurn turn = NextPageTurn(state);
    EXPECT_EQ(turn.page, 1);
    EXPECT_FALSE(turn.endsRun);

    state.autostartseconds = 30;
    turn = NextPageTurn(state);
    EXPECT_EQ(turn.page, 1);
    EXPECT_TRUE(turn.endsRun);

    // A page turned away from before its image was written holds the run for another lap,
    // and a removed page is not waited for.
    state.imageCycleDone = {1, 3};
    EXPECT_FALSE(NextPageTurn(state).endsRun);
    state.pages.pages[2].removed = true;
    EXPECT_TRUE(NextPageTurn(state).endsRun);

    // A cycle that has not drawn its first page yet (negative marker) never ends a run.
    state.imageCycleMarker = -2;
    EXPECT_FALSE(NextPageTurn(state).endsRun);
    EXPECT_EQ(state.currentpage, 3);  // the state is only read
}
