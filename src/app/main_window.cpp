// The main window's widgets and pop-up menus, and the menu commands this window offers.
#include "app/main_window.h"
#include "app/ftp_upload.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <iostream>

#include "app/auto_paging_frame.h"
#include "app/companion_launcher.h"
#include "app/console_host.h"
#include "app/days_frame.h"
#include "app/menu_list.h"
#include "app/output_chooser.h"
#include "app/page_backdrop.h"
#include "app/service_notifier.h"
#include "app/splash_window.h"
#include "app/trace_dialog.h"
#include "app/value_box_label.h"
#include "app/values_list.h"
#include "app/warning_blink.h"
#include "app/watch_levels_frame.h"
#include "app/window_printer.h"
#include "devices/ui/chart_view.h"
#include "render/render_state.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

// The design size of the window, used until the setup's saved position says otherwise.
constexpr int kDesignWidth = 1200;
constexpr int kDesignHeight = 800;
// The "Data Refresh" frame and the full width of its progress bar (2400 twips).
constexpr int kRefreshFrameWidth = 190;
constexpr int kRefreshFrameHeight = 52;

// A menu's captions as its list shows them.
QStringList Captions(const std::vector<std::string>& texts) {
    QStringList captions;
    for (const std::string& text : texts) captions << ProgramText(text);
    return captions;
}

// Where an upload's failure and the notices of the network client go: the window's
// caption only says " ...failed".
void PrintToStandardError(const std::string& text) { std::cerr << ConsoleHost::OneLine(text) << std::endl; }

}  // namespace

MainWindow::MainWindow(ProgramState& state, WindowOptions options, QWidget* parent)
    : QWidget(parent), state_(state), options_(std::move(options)), render_(std::make_unique<RenderState>()) {
    setObjectName("Form1");
    setWindowTitle("Tidemark");
    setAutoFillBackground(true);
    QRect available = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                       : QRect(0, 0, kDesignWidth, kDesignHeight);
    resize(std::min(kDesignWidth, available.width()), std::min(kDesignHeight, available.height()));
    CreateWidgets();
    CreateCollaborators();
    FillMenus();
}

MainWindow::~MainWindow() = default;

void MainWindow::CreateWidgets() {
    page_ = new PageBackdrop(this);
    page_->setObjectName("page");
    page_->setGeometry(rect());
    for (int s = 0; s < kGraphsPerPage; ++s) {
        auto* chart = new ChartView(render_->charts[static_cast<size_t>(s)], page_);
        chart->setObjectName(QString("MSChart1_%1").arg(s));
        chart->hide();
        chart->SetPaintedOnlyIntoCaptures(options_.oneShot);
        connect(chart, &ChartView::MouseReleased, this,
                [this, s](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double x, double y) {
                    ChartClicked(s, button, modifiers, x, y);
                });
        connect(chart, &ChartView::MouseMoved, this, [this, s](double x, double y) { ChartHovered(s, x, y); });
        charts_[static_cast<size_t>(s)] = chart;
    }
    // Value boxes lie over their charts and let the chart show through; a click that
    // does not drag one is the chart's.
    for (int s = 0; s < kGraphsPerPage; ++s) {
        auto* box = new ValueBoxLabel(page_);
        box->setObjectName(QString("RichTextBox1_%1").arg(s));
        box->hide();
        connect(box, &ValueBoxLabel::Dropped, this,
                [this, s](const QPoint& point, const QPoint& start) { DropValueBox(s, point, start); });
        connect(box, &ValueBoxLabel::ClickedThrough, this,
                [this, s](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& point) {
                    QPoint at = point - charts_[static_cast<size_t>(s)]->pos();
                    ChartClicked(s, button, modifiers, at.x() * kTwipsPerPixel, at.y() * kTwipsPerPixel);
                });
        valueBoxes_[static_cast<size_t>(s)] = box;
    }
    for (int i = 0; i < kCompassBoxes; ++i) {
        auto* label = new QLabel(page_);
        label->setObjectName(QString("Text2_%1").arg(i));
        label->setAutoFillBackground(true);
        label->setAlignment(Qt::AlignCenter);
        label->hide();
        compassBoxes_[static_cast<size_t>(i)] = label;
    }
    for (int s = 0; s < kGraphsPerPage; ++s) {
        auto* warning = new QLabel("WARNING!", page_);
        warning->setObjectName(QString("Text3_%1").arg(s));
        warning->setAutoFillBackground(true);
        QFont font = warning->font();
        font.setBold(true);
        font.setPointSize(12);
        warning->setFont(font);
        warning->adjustSize();
        warning->setAttribute(Qt::WA_TransparentForMouseEvents);
        warning->hide();
        warningBoxes_[static_cast<size_t>(s)] = warning;
    }

    dataRefresh_ = new QFrame(page_);
    dataRefresh_->setObjectName("FrameDBdone");
    dataRefresh_->setFrameShape(QFrame::Box);
    dataRefresh_->setAutoFillBackground(true);
    dataRefresh_->resize(kRefreshFrameWidth, kRefreshFrameHeight);
    auto* refreshLabel = new QLabel("Data Refresh", dataRefresh_);
    refreshLabel->setGeometry(10, 4, kRefreshFrameWidth - 20, 20);
    progressBar_ = new QFrame(dataRefresh_);
    progressBar_->setObjectName("progressBar");
    progressBar_->setAutoFillBackground(true);
    QPalette bar = progressBar_->palette();
    bar.setColor(QPalette::Window, QColor(0, 0, 160));
    progressBar_->setPalette(bar);
    progressBar_->setGeometry(15, 28, 0, 16);
    dataRefresh_->hide();

    keyCapture_ = new QLineEdit(page_);
    keyCapture_->setObjectName("Text1");
    keyCapture_->setGeometry(0, 0, 1, 1);
    keyCapture_->setFrame(false);
    keyCapture_->hide();
    focusBox_ = new QLineEdit(page_);
    focusBox_->setObjectName("txtboxforfocus");
    focusBox_->setGeometry(0, 0, 1, 1);
    focusBox_->setFrame(false);
    focusBox_->hide();

    graphMenu_ = new MenuList("List2", this);
    colorsMenu_ = new MenuList("List3", this);
    webMenu_ = new MenuList("List4", this);
    outputMenu_ = new MenuList("ListPrinters", this);
    connect(graphMenu_, &MenuList::Chosen, this, &MainWindow::RunGraphMenu);
    connect(webMenu_, &MenuList::Chosen, this, &MainWindow::RunWebMenu);
    connect(outputMenu_, &MenuList::Chosen, this, &MainWindow::RunOutputMenu);
    connect(colorsMenu_, &MenuList::Chosen, this, &MainWindow::RunColorsMenu);

    valuesList_ = new ValuesListBox(page_);
    connect(valuesList_, &ValuesListBox::Closed, this, &MainWindow::CloseValuesList);

    autoFrame_ = new AutoPagingFrame(this);
    daysFrame_ = new DaysFrame(this);
    levelsFrame_ = new WatchLevelsFrame(this);
    CreateSetupFrame();
    traceDialog_ = new TraceDialog(state_, *this, this);
    connect(traceDialog_, &TraceDialog::TracesChanged, this, &MainWindow::DrawCurrentPage);
}

void MainWindow::CreateCollaborators() {
    publishing_ = std::make_unique<PublishingController>(
        state_, *this, this, [this] { autoFrame_->ShowAt(autoFrame_->pos()); },
        MakeFtpUpload([this] { Yield(); }, PrintToStandardError),
        MakeRemoteSweep([this] { Yield(); }, PrintToStandardError));
    images_ =
        std::make_unique<PageImages>(state_, *this, *this, imageAdapter_, *publishing_, options_.printWrittenImages);
    printer_ = std::make_unique<WindowPrinter>(
        *this, [this] { return CaptureClientArea(); }, [this] { Yield(); });
    outputChooser_ = std::make_unique<OutputChooser>(*outputMenu_, state_, *this, *publishing_, *images_, *printer_);
    paging_ = std::make_unique<Paging>(state_, *this, *this, pagingAdapter_, *autoFrame_, *daysFrame_);
    connect(autoFrame_, &AutoPagingFrame::Confirmed, paging_.get(), &Paging::ConfirmAutoPaging);
    connect(daysFrame_, &DaysFrame::Confirmed, paging_.get(), &Paging::ConfirmDays);
    graphCommands_ = std::make_unique<GraphCommands>(state_, *render_, *this, menuAdapter_);
    connect(levelsFrame_, &WatchLevelsFrame::Confirmed, this,
            [this] { graphCommands_->ApplyWatchLevels(currentGraph_, levelsFrame_->Texts()); });
    webScreens_ = std::make_unique<WebScreens>(state_, *this, *this, webAdapter_, *page_, *webMenu_);
    service_ = std::make_unique<ServiceNotifier>(options_.serviceLink);
    blink_ = std::make_unique<WarningBlink>([this](int slot) { return WarningFlag(slot); },
                                            [this](int slot, bool on) { PaintWarning(slot, on); });
}

void MainWindow::ConfirmPublishing(bool commandLineMode) {
    // Unattended, nobody can answer the dialog: it is confirmed as the settings file and
    // the command line leave it.
    if (commandLineMode)
        publishing_->ConfirmUnattended(options_.password);
    else
        publishing_->ShowModal();
}

void MainWindow::FillMenus() {
    // Each list starts as its table reads in the state its model holds.
    graphMenu_->Fill(Captions(TextsOf(kGraphMenu, graphCommands_->MenuState())));
    colorsMenu_->Fill(Captions(TextsOf(kColorsMenu)));
    webMenu_->Fill(Captions(TextsOf(kWebMenu, webScreens_->MenuState())));
}

void MainWindow::RunWebMenu(int row) { webScreens_->RunMenu(row); }

void MainWindow::RunOutputMenu(int row) { outputChooser_->Run(row); }

void MainWindow::HideWarnings() {
    for (QLabel* box : warningBoxes_) box->hide();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    // A press on the page background opens the web-screen menu at the pointer; presses
    // that charts and boxes pass on are not the background's.
    QPoint at = event->position().toPoint();
    QWidget* under = childAt(at);
    if (!under || under == page_) webMenu_->ShowAt(at);
    QWidget::mousePressEvent(event);
}

}  // namespace tidemark
