// The trace dialog on the real window: opened from the graph menu, a run added and
// taken off again, and the unattended trace in the JSON export.
#include "window_fixture.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QWheelEvent>
#include <algorithm>

#include "app/json_export.h"
#include "app/menu_list.h"
#include "app/trace_dialog.h"
#include "data/load_pages.h"
#include "devices/ui/chart_view.h"
#include "render/render_state.h"
#include "support/recording_host.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

const char* kRuns =
    "INSERT INTO mrundsid VALUES (69, 1, '2026-03-10 06:00:00', 101, 'today');"
    "INSERT INTO mrundsid VALUES (68, 1, '2026-03-09 06:00:00', 101, 'yesterday');"
    "INSERT INTO mhour VALUES (69, 1, 101, '2026-03-10 12:00:00', 3.25);"
    "INSERT INTO mhour VALUES (69, 1, 101, '2026-03-11 12:00:00', 3.5);"
    "INSERT INTO mhour VALUES (68, 1, 101, '2026-03-09 12:00:00', 2.25);";

class TraceDialogTest : public WindowTest {
protected:
    // Opens the dialog from the graph menu of slot 0; `act` runs while it is shown.
    void WithDialog(const std::function<void(TraceDialog&)>& act) {
        // The dialog lists its runs (letting events run) before it is shown.
        auto* poll = new QTimer(window_.get());
        poll->setInterval(10);
        int tries = 0;
        QObject::connect(poll, &QTimer::timeout, [this, act, poll, tries]() mutable {
            TraceDialog* dialog = window_->Traces();
            if (!dialog->isVisible()) {
                if (++tries > 300) {
                    poll->deleteLater();
                    ADD_FAILURE() << "the trace dialog was not shown";
                }
                return;
            }
            poll->stop();
            poll->deleteLater();
            act(*dialog);
            if (dialog->isVisible()) dialog->ExitButton()->click();
        });
        poll->start();
        window_->ChartClicked(0, Qt::RightButton, {}, 300, 900);
        window_->GraphMenu()->Choose("Add Trace");
    }
    const ChartSurface& Chart0() { return window_->Chart(0)->Surface(); }
};

}  // namespace

TEST_F(TraceDialogTest, ARunChosenInTheDialogIsDrawnOverTheGraphAndClearLastTakesItOff) {
    ASSERT_TRUE(db_.Exec(kRuns));
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(Chart0().ColumnCount(), 13);

    WithDialog([&](TraceDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Add Traces from M tables Last Run ");
        ASSERT_EQ(d.Grid()->model()->rowCount(), 2);
        EXPECT_EQ(d.Grid()->model()->columnCount(), 5);
        EXPECT_GE(d.Grid()->columnWidth(4), 120);  // 1800 twips
        // Every heading shows whole.
        QHeaderView* header = d.Grid()->horizontalHeader();
        for (int c = 0; c < 5; ++c)
            EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c))
                << d.Grid()->model()->headerData(c, Qt::Horizontal).toString().toStdString();
        d.Grid()->selectRow(1);
        d.AddButton()->click();
    });
    EXPECT_EQ(state_.pages.Graph(1, 0).tracecount, 1);
    EXPECT_EQ(Chart0().ColumnCount(), 14);
    EXPECT_EQ(Chart0().Series(13).legendText, "Mar09 06:00");
    std::span<const double> values = Chart0().ColumnValues(14);
    EXPECT_EQ(std::count(values.begin(), values.end(), 2.25), 1);

    // The newest run by a double click; its later value widens the value axis.
    WithDialog([&](TraceDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Add Traces from M tables Last Run 68, 1, Mar09 06:00");
        d.IncludeHistory()->setChecked(true);
        QModelIndex first = d.Grid()->model()->index(0, 0);
        d.Grid()->setCurrentIndex(first);
        Q_EMIT d.Grid()->doubleClicked(first);
    });
    EXPECT_EQ(state_.pages.Graph(1, 0).tracecount, 2);
    EXPECT_EQ(Chart0().ColumnCount(), 16);
    EXPECT_GE(Chart0().YAxis().scale.maximum, 3.5);

    WithDialog([&](TraceDialog& d) {
        d.ClearLastButton()->click();
        EXPECT_EQ(state_.pages.Graph(1, 0).tracecount, 1);
        d.ClearLastButton()->click();
        d.ClearLastButton()->click();  // none left: nothing happens
        EXPECT_EQ(state_.pages.Graph(1, 0).tracecount, 0);
        // Three rows a notch; the running total keeps half a notch.
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 60), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(d.Grid()->viewport(), &wheel);
    });
    EXPECT_EQ(Chart0().ColumnCount(), 13);
}

TEST_F(TraceDialogTest, RunGraphsShowYesterdaysRunInTheExport) {
    ASSERT_TRUE(db_.Exec(kRuns));
    WriteSetup(SetupText({PageLine(1, "Runs"),
                          " 1 ; 101,RUN ;Stage;Creek; 0 ; 0 ; 0 ; 16777215 ; 16777215 ; 255 ; "
                          "65280 ; 0 ; 0 ; 0 ; 0 "}));
    RecordingHost host(kNow);
    ProgramState state;
    state.programFolder = db_.Folder();
    state.loading = true;
    ASSERT_TRUE(LoadPages(state, host, LoadMode::Full).ok());
    state.loading = false;
    RenderState render;
    std::string json = ExportPagesJson(state, render, host);
    EXPECT_NE(json.find("\"label\": \"Mar09 06:00\""), std::string::npos) << json.substr(0, 400);
    EXPECT_NE(json.find("\"lastRun\": \"68, 1, Mar09 06:00\""), std::string::npos);
    EXPECT_NE(json.find("2.25"), std::string::npos);
}
