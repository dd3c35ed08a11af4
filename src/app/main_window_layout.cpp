// The layout pass applied to the window: the geometry comes from the pure pass in twips
// (pages/layout.h); here it is put on the charts and boxes in pixels.
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>

#include "app/main_window.h"
#include "app/menu_list.h"
#include "app/page_backdrop.h"
#include "app/scope_guard.h"
#include "app/text_measure.h"
#include "app/values_list.h"
#include "devices/ui/chart_painter.h"
#include "devices/ui/chart_view.h"
#include "pages/layout.h"
#include "pages/web_screen.h"
#include "render/chart_style.h"
#include "setup/web_screen_slot.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

void SetColors(QLabel* label, int32_t back, int32_t text, bool opaque) {
    QPalette p = label->palette();
    p.setColor(QPalette::Window, ToQColor(back));
    p.setColor(QPalette::WindowText, ToQColor(text));
    label->setPalette(p);
    label->setAutoFillBackground(opaque);
}

ChartRect ToChartRect(const ChartCoordRect& r) { return ChartRect{r.minX, r.minY, r.maxX, r.maxY}; }

ChartStyle StyleOf(const SlotLayout& slot, const FormLayoutInput& in) {
    ChartStyle style;
    style.left = slot.chart.left;
    style.top = slot.chart.top;
    style.width = slot.chart.width;
    style.height = slot.chart.height;
    style.titleText = slot.titleText;
    style.titleFontName = in.titlefontname;
    style.titleFontSize = slot.titleFontSize;
    style.titleColor = slot.titleColor;
    style.axisFontName = in.axisfontname;
    style.axisFontSize = slot.axisFontSize;
    style.axisColor = slot.contrastColor;
    style.plot = ToChartRect(slot.plot);
    style.titleRect = ToChartRect(slot.titleRect);
    style.yAxisTitleVisible = slot.yAxisTitleVisible;
    style.yAxisTitle = slot.yAxisTitle;
    style.yAxisTitleFontSize = slot.yAxisTitleFontSize;
    return style;
}

}  // namespace

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    page_->setGeometry(rect());
    Form_Resize();
}

void MainWindow::Form_Resize() {
    if (!opened_ && state_.currentpage == 0) return;  // nothing loaded to place yet
    if (layingOut_) {
        // A resize while the pass yields: run it once more when this one is done.
        relayoutPending_ = true;
        return;
    }
    if (isMinimized()) return;
    {
        ScopedValue<bool> layingOut(layingOut_, true);
        FormLayout out;
        if (PlacePageFrozen(out)) {
            page_->update();
            if (keyCapture_->isVisible()) keyCapture_->setFocus();
            Yield();
            // Browsers are shown once the page paints again, as they load in their own time.
            webScreens_->Place(out);
            webScreens_->ClearRefitAll();
        }
    }
    if (relayoutPending_) {
        relayoutPending_ = false;
        Form_Resize();
    }
}

void MainWindow::PrepareWebScreensAhead(int page) {
    if (!state_.pages.ValidPage(page) || !webScreens_->DeferredLoadEnded(page)) return;
    FormLayout out;
    {
        // The pass as it will run for that page, computed only.
        ScopedValue<int16_t> shown(state_.currentpage, static_cast<int16_t>(page));
        out = ::tidemark::Form_Resize(LayoutInput(true), QtTextMeasure());
    }
    if (!out.skipped) webScreens_->PrepareAhead(page, out);
}

bool MainWindow::PlacePageFrozen(FormLayout& out) {
    bool froze = page_->updatesEnabled();
    if (froze) page_->setUpdatesEnabled(false);
    ScopeExit thaw([this, froze] {
        if (froze) page_->setUpdatesEnabled(true);
    });
    Yield();

    int page = state_.currentpage;
    bool havePage = state_.pages.ValidPage(page) && page >= 1 && static_cast<size_t>(page) < state_.pages.pages.size();
    FormLayoutInput in = LayoutInput(havePage);
    out = ::tidemark::Form_Resize(in, QtTextMeasure());
    if (out.skipped) return false;
    screenClass_ = out.screenClass;
    lastLayout_ = {out.W, out.H, out.graphCount};
    dataRefresh_->move(TwipsToQPoint(out.statusFrameLeft, out.statusFrameTop));
    for (QLabel* label : compassBoxes_) label->hide();
    PlaceSlots(out, in, havePage);
    if (havePage) PlaceCompassLabels(out);
    ApplyFloodCategories(out);
    // What floats over the page stays in front of the charts just stacked.
    if (valuesList_->isVisible()) valuesList_->raise();
    if (dataRefresh_->isVisible()) dataRefresh_->raise();
    webScreens_->SetLastFittedBrowser(out.lastFittedBrowser);
    graphCommands_->EndEnlarged();
    Yield();
    return true;
}

FormLayoutInput MainWindow::LayoutInput(bool havePage) const {
    FormLayoutInput in;
    in.clientWidth = width() * kTwipsPerPixel;
    in.clientHeight = height() * kTwipsPerPixel;
    in.windowHeightPixels = frameGeometry().height();
    in.statusFrameWidth = dataRefresh_->width() * kTwipsPerPixel;
    in.browserCount = state_.pages.webscreencount;
    in.lastFittedBrowser = webScreens_->LastFittedBrowser();
    in.refitAll = webScreens_->RefitAll();
    // The chart views paint the bands themselves, on every repaint and so in every image.
    in.overlayAvailable = true;
    if (!havePage) {
        for (SlotLayoutInput& slot : in.slots) slot.dsid = kEmptySlotDsid;
        return in;
    }
    int page = state_.currentpage;
    const PageRec& rec = state_.pages.Page(page);
    FillFromPage(in, rec, state_.settings);
    std::array<DrawnSlot, kGraphsPerPage> drawn = DrawnSlots();
    for (int s = 0; s < kLayoutSlots; ++s) {
        SlotLayoutInput& slot = in.slots[static_cast<size_t>(s)];
        const DrawnSlot& d = drawn[static_cast<size_t>(s)];
        slot.title = d.title;
        slot.currentValue = d.currentValue;
        slot.warning = d.warning;
        if (slot.Kind() == SlotKind::WebScreen)
            slot.scriptable = IsScriptableAddress(WebScreenView(rec.slots[static_cast<size_t>(s)]).Address());
        slot.yScale = {d.yMin, d.yMax, d.yDivisions};
        if (static_cast<size_t>(page) < state_.labels.size()) {
            slot.unitName = state_.labels[static_cast<size_t>(page)][static_cast<size_t>(s)].unit;
            slot.yAxisTitle = slot.unitName;
        }
    }
    return in;
}

void MainWindow::PlaceSlots(const FormLayout& out, const FormLayoutInput& in, bool havePage) {
    for (int s = 0; s < kLayoutSlots; ++s) {
        const SlotLayout& slot = out.slots[static_cast<size_t>(s)];
        if (!havePage || !slot.used || slot.webScreen) {
            // Drawing left the surface hidden; the widget follows it.
            charts_[static_cast<size_t>(s)]->ApplySurface();
            continue;
        }
        ChartView* view = charts_[static_cast<size_t>(s)];
        ApplyChartStyle(view->Surface(), StyleOf(slot, in));
        view->ApplySurface();
        // Charts overlap the top of the row below: each later graph lies in front of the
        // ones before it, whatever an enlarged graph left in front, so no title is covered.
        view->raise();

        QLabel* value = valueBoxes_[static_cast<size_t>(s)];
        if (slot.valueBox.visible) {
            value->setFont(ProgramFont(slot.valueBox.fontName, slot.valueBox.fontSize));
            value->setText(ProgramText(slot.valueBox.text));
            SetColors(value, 0, slot.valueBox.textColor, false);
            value->setGeometry(TwipsToQRect(slot.valueBox.rect));
            value->raise();
            value->show();
        }
        QLabel* warning = warningBoxes_[static_cast<size_t>(s)];
        warning->move(TwipsToQPoint(slot.warningBox.left, slot.warningBox.top));
        SetColors(warning, slot.warningBox.backColor, RGB(255, 0, 0), true);
        warning->raise();
        warning->setVisible(slot.warningBox.visible);
        Yield();
    }
}

void MainWindow::ApplyFloodCategories(const FormLayout& out) {
    std::array<std::optional<FloodBandRequest>, kGraphsPerPage> requests;
    for (const FloodBandRequest& r : out.floodBands)
        if (r.slot >= 0 && r.slot < kGraphsPerPage) requests[static_cast<size_t>(r.slot)] = r;
    for (int s = 0; s < kGraphsPerPage; ++s) {
        ChartView* view = charts_[static_cast<size_t>(s)];
        const std::optional<FloodBandRequest>& wanted = requests[static_cast<size_t>(s)];
        // Charts that had no bands and get none are not repainted for it.
        if (view->FloodCategories() || wanted) view->SetFloodCategories(wanted);
    }
}

void MainWindow::PlaceCompassLabels(const FormLayout& out) {
    for (int i = 0; i < kCompassBoxes; ++i) {
        const CompassLabel& c = out.compass[static_cast<size_t>(i)];
        if (!c.visible) continue;
        QLabel* label = compassBoxes_[static_cast<size_t>(i)];
        label->setFont(ProgramFont(c.fontName, c.fontSize));
        label->setText(ProgramText(c.text));
        SetColors(label, c.backColor, c.textColor, true);
        label->setGeometry(TwipsToQRect(c.rect));
        label->raise();
        label->show();
    }
}

}  // namespace tidemark
