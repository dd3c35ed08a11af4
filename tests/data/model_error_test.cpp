// The model-error text of freqtype 3 graphs: pairing model rows with observed points,
// the dry threshold, and the text.
#include <gtest/gtest.h>

#include "data/model_error.h"
#include "sqlite_series_backend.h"

namespace tidemark::seriestest {
namespace {

PointBuffer Observed(const std::vector<std::pair<double, double>>& points) {
    PointBuffer out;
    out.Reset(static_cast<int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i) out[i + 1] = {points[i].first, points[i].second};
    return out;
}

const double kDry = 0.049999;

TEST(ModelErrorText, WeighsTheErrorByTheObservations) {
    PointBuffer observed = Observed(
        {{At(2020, 3, 1, 0), 1.0}, {At(2020, 3, 1, 1), 0.0}, {At(2020, 3, 1, 2), 2.0}, {At(2020, 3, 1, 3), 0.01}});
    ModelErrorText text(kDry);
    text.AddRow(At(2020, 3, 1, 0), 1.5, observed, 4);   // |0.5| x 1, 1 x 1
    text.AddRow(At(2020, 3, 1, 1), 0.3, observed, 4);   // observed dry: 0.09, 0.09
    text.AddRow(At(2020, 3, 1, 2), 1.0, observed, 4);   // |1| x 2, 2 x 2
    text.AddRow(At(2020, 3, 1, 3), 0.02, observed, 4);  // both dry: not counted
    EXPECT_EQ(text.Count(), 3);
    EXPECT_EQ(text.Text(), "51%  n3");  // 2.59 / 5.09
}

TEST(ModelErrorText, PairsWithinAMinuteAndSkipsRowsWithoutAPartner) {
    PointBuffer observed = Observed({{At(2020, 3, 1, 0), 1.0}, {At(2020, 3, 1, 1), 1.0}, {At(2020, 3, 1, 2), 1.0}});
    ModelErrorText text(kDry);
    text.AddRow(At(2020, 2, 29, 23), 2.0, observed, 3);            // before the first point
    text.AddRow(At(2020, 3, 1, 0, 30), 2.0, observed, 3);          // between points: cursor goes back
    text.AddRow(At(2020, 3, 1, 1) + 0.0006, 2.0, observed, 3);     // within 0.0007 day
    text.AddRow(At(2020, 3, 1, 1, 1) + 0.0001, 2.0, observed, 3);  // 0.0008 day off
    text.AddRow(At(2020, 3, 1, 2), 3.0, observed, 3);
    text.AddRow(At(2020, 3, 1, 5), 3.0, observed, 3);  // past the point count
    EXPECT_EQ(text.Count(), 2);
    EXPECT_EQ(text.Text(), "150%  n2");  // (1 + 2) / 2

    // Points past the count are not looked at.
    ModelErrorText limited(kDry);
    limited.AddRow(At(2020, 3, 1, 2), 3.0, observed, 2);
    EXPECT_EQ(limited.Count(), 0);
    EXPECT_EQ(limited.Text(), "");
}

TEST(ModelErrorThreshold, FollowsUnitValuesAndMetricUnits) {
    SetupSettings settings;
    PageRec page;
    EXPECT_DOUBLE_EQ(ModelErrorThreshold(settings, page), 0.049999);
    settings.plotunitvalues = true;
    EXPECT_DOUBLE_EQ(ModelErrorThreshold(settings, page), 0.049999 / 12);
    settings.metricunits = true;
    EXPECT_DOUBLE_EQ(ModelErrorThreshold(settings, page), 0.049999 / 12 * 25.4);
    page.unitsoff = true;
    EXPECT_DOUBLE_EQ(ModelErrorThreshold(settings, page), 0.049999 * 25.4);
}

TEST(ModelErrorFetch, IsComposedWhileTheModelSeriesIsRead) {
    SqliteSeriesBackend backend;
    ASSERT_TRUE(backend.SetUpError().empty()) << backend.SetUpError();
    SeriesHarness h(backend, At(2020, 3, 1), 1, At(2020, 3, 9));
    h.Define(0, 4, "Rain", FreqType::ModelError);
    h.Define(12, 5, "Rain", FreqType::ModelError);
    h.Fill("rhour", 4, {{At(2020, 3, 1, 0), 1.0}, {At(2020, 3, 1, 1), 2.0}, {At(2020, 3, 1, 4), 1.0}});
    h.Fill("rhour", 5, {{At(2020, 3, 1, 0), 1.5}, {At(2020, 3, 1, 1), 1.0}, {At(2020, 3, 1, 4), 0.0}});
    FetchOptions options;
    options.modelErrorThreshold = ModelErrorThreshold(h.state.settings, h.state.pages.Page(1));
    EXPECT_EQ(h.Fetch(0, options), "");
    // (0.5 + 2 + 1) / (1 + 4 + 1)
    EXPECT_EQ(h.Slot(0).modelErrorText, "58%  n3");

    // Without the loader's threshold the text is not touched.
    EXPECT_EQ(h.Fetch(0), "");
    EXPECT_EQ(h.Slot(0).modelErrorText, "58%  n3");
    // Another freqtype composes nothing.
    h.Define(0, 4, "Rain", FreqType::Plain);
    h.Slot(0).modelErrorText.clear();
    EXPECT_EQ(h.Fetch(0, options), "");
    EXPECT_EQ(h.Slot(0).modelErrorText, "");
}

}  // namespace
}  // namespace tidemark::seriestest
