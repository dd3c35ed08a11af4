// The window's side of the graph menu and of reading a graph with the mouse: clicks on charts,
// the values list, the dragged value box, and what the graph commands need of the screen.
#include <QColorDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>

#include "app/auto_paging_frame.h"
#include "app/main_window.h"
#include "app/menu_list.h"
#include "app/output_chooser.h"
#include "app/text_measure.h"
#include "app/trace_dialog.h"
#include "app/values_list.h"
#include "app/warning_blink.h"
#include "app/watch_levels_frame.h"
#include "data/series_kinds.h"
#include "devices/ui/chart_view.h"
#include "pages/graph_readout.h"
#include "render/render_state.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {

int MainWindow::PageGraphCount() const {
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page) || static_cast<size_t>(page) >= state_.pages.pages.size()) return 1;
    return state_.pages.Page(page).lastslot + 1;
}

void MainWindow::ChartClicked(int slot, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double x, double y) {
    if (busy_) return;
    currentGraph_ = slot;
    webMenu_->hide();
    if (blink_->Running()) {
        blink_->Stop();
        HideWarnings();
    }
    if (y >= kTitleStripTwips) {
        bool shifted = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (button == Qt::LeftButton && shifted) {
            paging_->PreviousPage();
        } else if (button == Qt::LeftButton) {
            paging_->NextPage();
        } else if (button == Qt::RightButton) {
            paging_->Stop();
            OpenGraphMenu(slot, x, y);
        }
        return;
    }
    graphMenu_->hide();
    ToggleValuesList(slot);
}

void MainWindow::ChartHovered(int slot, double x, double y) {
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page) || static_cast<size_t>(page) >= state_.pages.pages.size()) return;
    ChartView* chart = charts_[static_cast<size_t>(slot)];
    std::string tip = PointTooltip(chart->Surface(), state_.pages.Graph(page, slot), x, y);
    chart->setToolTip(ProgramText(tip));
}

void MainWindow::ToggleValuesList(int slot) {
    if (valuesList_->isVisible()) {
        CloseValuesList();
        return;
    }
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page) || static_cast<size_t>(page) >= state_.pages.pages.size() ||
        !state_.store.Has(page, slot))
        return;
    const PageRec& rec = state_.pages.Page(page);
    const GraphDef& def = rec.slots.at(static_cast<size_t>(slot));
    const GraphDef& def2 = rec.slots.at(static_cast<size_t>(slot + kSecondSeriesOffset));
    const SlotSeries* second =
        HoldsSecondSeries(def, def2) ? &state_.store.At(page, slot + kSecondSeriesOffset) : nullptr;
    PointLines list = ValuesListFor(def, state_.store.At(page, slot), second);
    WindowRect r = ValuesListRect(list.longest, charts_[static_cast<size_t>(slot)]->Surface(), PageGraphCount());
    // The width rule counts characters of a narrower font than this platform's: the list
    // is widened until its longest line shows whole.
    QRect shown = TwipsToQRect(r);
    shown.setWidth(std::max(shown.width(), valuesList_->WidthShowing(list.lines)));
    valuesList_->setGeometry(shown);
    QLabel* box = valueBoxes_[static_cast<size_t>(slot)];
    if (!box->isHidden()) valueBoxUnderList_ = {page, slot};
    box->hide();
    valuesList_->ShowLines(list.lines);
}

void MainWindow::CloseValuesList() {
    valuesList_->hide();
    ShowValueBoxUnderList();
    if (keyCapture_->isVisible()) keyCapture_->setFocus();
}

void MainWindow::ShowValueBoxUnderList() {
    if (!valueBoxUnderList_) return;
    auto [page, slot] = *valueBoxUnderList_;
    valueBoxUnderList_.reset();
    // A page turned meanwhile has laid out its own boxes.
    if (page != state_.currentpage || valuesList_->isVisible()) return;
    QLabel* box = valueBoxes_[static_cast<size_t>(slot)];
    box->raise();
    box->show();
}

void MainWindow::OpenGraphMenu(int slot, double x, double y) {
    valuesList_->hide();
    ShowValueBoxUnderList();
    ChartSurface& chart = charts_[static_cast<size_t>(slot)]->Surface();
    // An enlarged graph that made room for the values list takes the whole width again.
    if (graphCommands_->Enlarged() && chart.Left() > 0) {
        chart.SetBounds(0, chart.Top(), width() * kTwipsPerPixel, chart.Height());
        ChartRect plot = chart.PlotRect();
        plot.minX = 800;
        plot.maxX = std::max(plot.minX, chart.Width() - 400.0);
        chart.SetPlotRect(plot);
        RefreshChart(slot);
    }
    // The list is sized before it is placed so its height is known.
    graphMenu_->ShowAt(QPoint(0, 0));
    WindowPoint at = GraphMenuPosition(slot, PageGraphCount(), chart, x, y, graphMenu_->height() * kTwipsPerPixel);
    graphMenu_->PlaceAt(TwipsToQPoint(at.x, at.y));
    graphMenu_->raise();
}

void MainWindow::RunGraphMenu(int row) {
    menuAt_ = graphMenu_->pos();
    graphMenu_->hide();
    valuesList_->hide();
    ShowValueBoxUnderList();
    if (keyCapture_->isVisible()) keyCapture_->setFocus();
    graphCommands_->RunRow(row, currentGraph_);
    if (keyCapture_->isVisible()) keyCapture_->setFocus();
}

void MainWindow::RunColorsMenu(int row) {
    colorsMenu_->hide();
    if (keyCapture_->isVisible()) keyCapture_->setFocus();
    graphCommands_->RunColorsRow(row, currentGraph_);
    if (keyCapture_->isVisible()) keyCapture_->setFocus();
}

void MainWindow::DropValueBox(int slot, const QPoint& point, const QPoint& startTopLeft) {
    QLabel* box = valueBoxes_[static_cast<size_t>(slot)];
    // Dropped off its own graph, the box goes back to where it was.
    if (!charts_[static_cast<size_t>(slot)]->geometry().contains(point)) {
        box->move(startTopLeft);
        return;
    }
    box->move(point - QPoint(box->width() / 2, box->height() / 2));
    Yield();
    box->hide();
    box->show();
}

void MainWindow::RefreshChart(int slot) {
    ChartView* chart = charts_[static_cast<size_t>(slot)];
    chart->ApplySurface();
    // Only an enlarged graph comes to the front, over what the page leaves shown. A
    // restyle in place keeps the chart where it lies: in front it would bury its own
    // current value, warning and compass letters, and the title strip of the graph
    // below, which the chart's lower margin overlaps.
    if (graphCommands_->Enlarged()) chart->raise();
}

// --- what the graph commands need beyond the PageScreen ---

void MainWindow::GraphMenuAdapter::ShowEnlargedValueBox(int slot, const EnlargedGraphLayout& enlarged) {
    if (!w_.state_.settings.bigcurrentvalue) return;
    QLabel* box = w_.valueBoxes_[static_cast<size_t>(slot)];
    if (box->text().isEmpty()) return;
    // The rule of a page of one graph: near the top of the plot, a little right of its
    // middle, at the size the layout gave the box.
    const double width = box->width() * kTwipsPerPixel;
    const double left = enlarged.chart.left + (enlarged.plot.minX + 700 + enlarged.plot.maxX) / 2 - width / 2;
    const double top = enlarged.chart.top + enlarged.chart.height / ConstantsFor(LayoutClass::One).d - 20;
    box->move(TwipsToQPoint(left, top));
    box->raise();
    box->show();
}

void MainWindow::GraphMenuAdapter::SetEntryText(int row, const std::string& text) {
    w_.graphMenu_->SetEntryText(row, ProgramText(text));
}

std::string MainWindow::GraphMenuAdapter::EntryText(int row) const {
    return ToProgramText(w_.graphMenu_->EntryText(row));
}

EnlargeArea MainWindow::GraphMenuAdapter::Area() const {
    EnlargeArea area;
    area.clientWidth = w_.width() * kTwipsPerPixel;
    area.clientHeight = w_.height() * kTwipsPerPixel;
    area.windowHeight = w_.frameGeometry().height() * kTwipsPerPixel;
    area.valuesListWidth = w_.valuesList_->isVisible() ? w_.valuesList_->width() * kTwipsPerPixel : 0;
    return area;
}

void MainWindow::GraphMenuAdapter::HidePageForEnlarged(const WindowRect& valuesList) {
    for (ChartView* chart : w_.charts_) chart->hide();
    for (QLabel* box : w_.valueBoxes_) box->hide();
    for (QLabel* box : w_.compassBoxes_) box->hide();
    w_.HideBrowsers();
    if (w_.valuesList_->isVisible()) {
        w_.valuesList_->setGeometry(TwipsToQRect(valuesList));
        w_.valuesList_->raise();
    }
}

void MainWindow::GraphMenuAdapter::Open(SideFrame frame) {
    switch (frame) {
        case SideFrame::ColorsMenu: w_.colorsMenu_->ShowAt(w_.menuAt_); break;
        case SideFrame::Days: w_.paging_->ShowDaysFrame(w_.menuAt_); break;
        case SideFrame::WatchLevels:
            w_.levelsFrame_->Fill(w_.graphCommands_->WatchLevelsOf(w_.currentGraph_));
            w_.levelsFrame_->ShowAt(w_.menuAt_);
            break;
        case SideFrame::AutoPaging: w_.autoFrame_->ShowAt(w_.menuAt_); break;
        case SideFrame::OutputChooser: w_.outputChooser_->ShowAt(w_.menuAt_, PrintWay::Window); break;
        case SideFrame::Setup: w_.OpenSetupFrame(); break;
        case SideFrame::TraceDialog: w_.traceDialog_->Run(w_.currentGraph_); break;
    }
}

TextMeasure MainWindow::GraphMenuAdapter::ScreenMeasure() const { return QtTextMeasure(); }

std::optional<int32_t> MainWindow::GraphMenuAdapter::ChooseColor(int32_t initial) {
    QColorDialog dialog(ToQColor(initial), &w_);
    dialog.setObjectName("CommonDialog1");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    QColor c = dialog.selectedColor();
    return RGB(c.red(), c.green(), c.blue());
}

std::optional<FontChoice> MainWindow::GraphMenuAdapter::ChooseFont(const FontChoice& initial) {
    QFontDialog dialog(ProgramFont(initial.name, initial.size > 0 ? initial.size : 8), &w_);
    dialog.setObjectName("CommonDialog1");
    // Screen fonts that scale, as the charts draw at any size.
    dialog.setOptions(QFontDialog::DontUseNativeDialog | QFontDialog::ScalableFonts);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    QFont font = dialog.selectedFont();
    return FontChoice{ToProgramText(font.family()), font.pointSizeF()};
}

}  // namespace tidemark
