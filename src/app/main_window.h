#pragma once
// The main window: the page of up to 12 graphs with their value, compass and warning
// boxes, the pop-up menus, the floating frames, start-up and close. It is the Host and
// the PageScreen of the whole program. Paging with the refresh cycle, the warning blink,
// page images, the web screens and the graph and setup commands are collaborators the
// window owns; each takes the PageScreen, and what one needs of the window beyond it
// comes from a small adapter the window owns, never from another base of the window.
//
// The window's own code is split by concern over several files:
//   main_window.cpp            widgets, menus, chart clicks and the menu commands
//   main_window_host.cpp       Host: caption, messages, input, yielding, the clock
//   main_window_page_view.cpp  PageScreen, and what paging and page images need beyond it
//   main_window_layout.cpp     the layout pass applied to the widgets
//   main_window_open_close.cpp start-up, the saved window position, close
//   main_window_web.cpp        what the web screens need of the window
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QImage>
#include <QWidget>

#include "app/page_images.h"
#include "app/paging.h"
#include "app/web_screens.h"
#include "core/host.h"
#include "data/load_pages.h"
#include "data/program_state.h"
#include "pages/graph_menu.h"
#include "pages/layout.h"
#include "pages/setup_command.h"
#include "render/page_view.h"
#include "setup/setup_model.h"

class QLabel;
class QLineEdit;
class QFrame;

namespace tidemark {

struct RenderState;
class ChartView;
class MenuList;
class OutputChooser;
class PageBackdrop;
class WindowPrinter;
class AutoPagingFrame;
class DaysFrame;
class CompanionLauncher;
class SetupFrame;
class SplashWindow;
class TraceDialog;
class ValuesListBox;
class WarningBlink;
class WatchLevelsFrame;
class ServiceManagerLink;
class ServiceNotifier;

inline constexpr int kCompassBoxes = 45;

struct WindowOptions {
    std::optional<double> fixedNow;  // a fixed clock (reproducible runs and tests)
    std::string password;            // FTP password from the command line
    bool printWrittenImages = true;  // command-line mode: each image path on standard output
    bool headless = false;           // offscreen: nobody can answer a message box
    // A one-shot render (--render-pages): Open() loads and shows page 1 but starts no
    // timer and no image cycle, and waits for painting only let pending events run.
    bool oneShot = false;
    // Called once the setup file has been read at the start, before any page loads.
    std::function<void(const ProgramState& state)> setupRead;
    // Answers message boxes instead of a person (tests); unset = real boxes.
    std::function<MsgAnswer(const std::string& text, MsgButtons buttons)> answerMessage;
    // The service manager that runs the display (a kiosk's systemd), or none.
    std::shared_ptr<ServiceManagerLink> serviceLink;
};

// What drawing left for one graph slot that the layout pass reads.
struct DrawnSlot {
    std::string title;
    double currentValue = 0;
    bool warning = false;
    double yMin = 0, yMax = 0;
    int yDivisions = 0;
};

class MainWindow : public QWidget, public Host, public PageScreen {
    Q_OBJECT
public:
    MainWindow(ProgramState& state, WindowOptions options = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The opening sequence: loads every page (page 1 is shown as soon as it is in),
    // starts the timers, and for an unattended start the page-image cycle. Returns 0,
    // or the exit status after a fault that ends the program.
    int Open();

    // --- Host ---
    void SetCaption(const std::string& text) override;
    std::string Caption() const override { return caption_; }
    MsgAnswer Message(const std::string& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                      const std::string& title = {}) override;
    void Report(const Fault& fault, Severity severity) override;
    bool Confirm(const std::string& question) override;
    std::string Input(const std::string& prompt, const std::string& title = {},
                      const std::string& defaultText = {}) override;
    void Yield() override;
    double Now() const override;

    // --- PageScreen (main_window_page_view.cpp) ---
    void BeginDrawing() override;
    void SetBackgroundColor(int32_t color) override;
    void HideBrowsers() override;
    void HideSlotBoxes(int slot) override;
    void StartWarningBlink() override;
    void LayoutPage() override;
    void EndDrawing() override;
    void FocusMainTextBox() override;
    void StopPagingTimer() override;
    void RestartPagingTimer() override;
    void WaitMilliseconds(int ms) override;
    void SavePageImage() override;
    int ScreenSizeClass() const override { return screenClass_; }
    void DrawCurrentPage() override;
    void NextPage() override;
    void PreviousPage() override;
    // Also while a drawn page waits for its image: a tick then would turn the page the
    // image is being taken of.
    bool Busy() const override { return busy_ || drawing_; }
    bool WindowClosed() const override { return closed_; }

    // --- pages ---
    void Form_Resize();
    // A one-shot render, ahead of page `page`: its web screens lay out and paint out of
    // sight while the pages before it are drawn.
    void PrepareWebScreensAhead(int page);
    // A click released on chart `slot` at (x, y) twips from the chart's top-left corner.
    void ChartClicked(int slot, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, double x, double y);
    // The pointer over chart `slot` at (x, y) twips: the tooltip of the point under it.
    void ChartHovered(int slot, double x, double y);
    void OpenGraphMenu(int slot, double x, double y);

    // --- collaborators, and the rest for tests and the benchmark ---
    Paging& Pager() { return *paging_; }
    WarningBlink& Blink() { return *blink_; }
    PageImages& Images() { return *images_; }
    PublishingController& Publishing() { return *publishing_; }
    RenderState& Render() { return *render_; }
    ProgramState& State() { return state_; }
    ChartView* Chart(int slot) const { return charts_.at(static_cast<size_t>(slot)); }
    QLabel* ValueBox(int slot) const { return valueBoxes_.at(static_cast<size_t>(slot)); }
    QLabel* WarningBox(int slot) const { return warningBoxes_.at(static_cast<size_t>(slot)); }
    QLabel* CompassBox(int index) const { return compassBoxes_.at(static_cast<size_t>(index)); }
    QFrame* DataRefreshFrame() const { return dataRefresh_; }
    MenuList* GraphMenu() const { return graphMenu_; }
    MenuList* ColorsMenu() const { return colorsMenu_; }
    MenuList* WebMenu() const { return webMenu_; }
    MenuList* OutputMenu() const { return outputMenu_; }
    AutoPagingFrame* AutoPaging() const { return autoFrame_; }
    DaysFrame* Days() const { return daysFrame_; }
    WatchLevelsFrame* WatchLevels() const { return levelsFrame_; }
    SetupFrame* Setup() const { return setupFrame_; }
    TraceDialog* Traces() const { return traceDialog_; }
    QFrame* SavingFrame() const { return savingFrame_; }
    ValuesListBox* ValuesList() const { return valuesList_; }
    GraphCommands& Commands() { return *graphCommands_; }
    WebScreens& Web() { return *webScreens_; }
    ServiceNotifier& Service() { return *service_; }
    // The client area as a page image shows it, and the layout it was cut by.
    QImage CaptureClientArea();
    PageGeometry LastLayout() const { return lastLayout_; }
    bool HasClosed() const { return closed_; }
    int ExitStatus() const { return exitStatus_; }
    // A signal asked the program to stop (SIGTERM, SIGINT, SIGHUP): the manager is told at
    // once, the window closes as soon as no operation runs (an image being written or
    // sent is finished, a load ends), without the save question nobody may be there to
    // answer, and the program ends with status 0.
    void StopOnSignal(const std::string& signalName);
    // What an unattended round that ended with images not written or not sent says last,
    // or "" when every image went where it was meant to go.
    std::string RoundShortfall() const;

Q_SIGNALS:
    void PageDrawn(int page);
    void ImageWritten(const QString& path);
    // The window closed; the program ends with this status.
    void Closed(int exitStatus);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage PaintIntoPageImage();
    // What paging, page images and the web screens need of the window beyond its
    // PageScreen, each apart so that the window's screen stays one interface.
    class PagingAdapter final : public PagingWindow {  // main_window_page_view.cpp
    public:
        explicit PagingAdapter(MainWindow& window) : w_(window) {}
        bool Minimised() const override { return w_.isMinimized(); }
        void RestoreFromMinimised() override { w_.showNormal(); }
        void PrepareForPageTurn() override;
        void EndRun(int status) override { w_.EndRun(status); }
        LoadPagesHooks LoadHooks() override { return w_.LoadHooks(); }
        void ShowDataRefresh(bool shown) override;
        void ForgetFittedBrowsers() override { w_.webScreens_->SetLastFittedBrowser(-1); }
        void ClearCurrentValues() override;
        void ConfirmPublishing(bool commandLineMode) override { w_.ConfirmPublishing(commandLineMode); }
        void ReportUnseen(const std::string& text) override;
        void Reloaded(const std::string& fault) override;

    private:
        MainWindow& w_;
    };
    class PageImageAdapter final : public PageImageWindow {  // main_window_page_view.cpp
    public:
        explicit PageImageAdapter(MainWindow& window) : w_(window) {}
        QImage CaptureClientArea() override { return w_.CaptureClientArea(); }
        QWidget& DialogParent() override { return w_; }
        PageGeometry LastLayout() const override { return w_.LastLayout(); }
        void ImageSaved(const std::string& path) override;
        const RenderState& Drawn() const override { return *w_.render_; }
        std::vector<PublishedDocument> DocumentsOf(int page) override { return w_.webScreens_->DocumentsOf(page); }
        void ImagePublished(const std::string& path, bool arrived) override;

    private:
        MainWindow& w_;
    };
    class WebScreensAdapter final : public WebScreensWindow {  // main_window_web.cpp
    public:
        explicit WebScreensAdapter(MainWindow& window) : w_(window) {}
        void HideGraphLists() override;
        void StopPaging() override;
        void SelectSlot(int slot) override { w_.currentGraph_ = slot; }
        int SelectedSlot() const override { return w_.currentGraph_; }
        void OpenAutoPagingAt(const QPoint& at) override;
        void OpenSetupAt(const QPoint& at) override;
        void OpenOutputChooserAt(const QPoint& at) override;
        SplashWindow* Splash() override { return w_.splash_.get(); }
        double ClientWidthTwips() const override;
        double ClientHeightTwips() const override;

    private:
        MainWindow& w_;
    };

    // What the graph commands and the setup command need of the window beyond its
    // PageScreen: the layers below the window ask for it through their own views.
    class GraphMenuAdapter final : public GraphMenuView {  // main_window_graph_menu.cpp
    public:
        explicit GraphMenuAdapter(MainWindow& window) : w_(window) {}
        void SetEntryText(int row, const std::string& text) override;
        std::string EntryText(int row) const override;
        void RedrawPage() override { w_.DrawCurrentPage(); }
        void LayoutPage() override { w_.LayoutPage(); }
        void RefreshChart(int slot) override { w_.RefreshChart(slot); }
        EnlargeArea Area() const override;
        void HidePageForEnlarged(const WindowRect& valuesList) override;
        void ShowEnlargedValueBox(int slot, const EnlargedGraphLayout& enlarged) override;
        void Open(SideFrame frame) override;
        void PreviousPage() override { w_.PreviousPage(); }
        std::optional<int32_t> ChooseColor(int32_t initial) override;
        std::optional<FontChoice> ChooseFont(const FontChoice& initial) override;
        int ScreenSizeClass() const override { return w_.ScreenSizeClass(); }
        TextMeasure ScreenMeasure() const override;

    private:
        MainWindow& w_;
    };
    class SetupCommandAdapter final : public SetupCommandView {  // main_window_setup.cpp
    public:
        explicit SetupCommandAdapter(MainWindow& window) : w_(window) {}
        void ShowSaving(bool shown) override;
        Result<void> SaveSetup() override { return w_.SaveSetup(); }
        void ReloadPages() override;
        void PrepareWebScreen(int page, int slot) override;
        void NextPage() override { w_.NextPage(); }
        void RedrawPage() override { w_.DrawCurrentPage(); }

    private:
        MainWindow& w_;
    };

    // main_window.cpp
    void CreateWidgets();
    void CreateCollaborators();
    // The publishing settings confirmed as they are, for a round of page images.
    void ConfirmPublishing(bool commandLineMode);
    void FillMenus();
    void RunWebMenu(int row);
    void RunOutputMenu(int row);
    void HideWarnings();
    // main_window_graph_menu.cpp
    void RunGraphMenu(int row);
    // Shows slot's chart as its surface now says (after the commands styled it).
    void RefreshChart(int slot);
    void RunColorsMenu(int row);
    void ToggleValuesList(int slot);
    void CloseValuesList();
    // The large value the values list hid, shown again once the list is gone.
    void ShowValueBoxUnderList();
    void DropValueBox(int slot, const QPoint& point, const QPoint& startTopLeft);
    int PageGraphCount() const;
    // main_window_setup.cpp
    void CreateSetupFrame();
    // Writes the setup with the window's present position, state and paging settings.
    Result<void> SaveSetup();
    void OpenSetupFrame();
    // Fills the setup frame for the current page and graph.
    void FillSetupFrame();
    // A frame left open while the page turns follows the page shown: its commands act
    // on that page.
    void FollowPageInSetupFrame();
    void RunSetupCommand();
    void EditSetupFile();
    // main_window_layout.cpp
    // Steps of the layout pass up to the end of the freeze of painting; false when it
    // found the window minimised and touched nothing.
    bool PlacePageFrozen(FormLayout& out);
    FormLayoutInput LayoutInput(bool havePage) const;
    void PlaceSlots(const FormLayout& out, const FormLayoutInput& in, bool havePage);
    void PlaceCompassLabels(const FormLayout& out);
    void ApplyFloodCategories(const FormLayout& out);
    // main_window_page_view.cpp
    std::array<DrawnSlot, kGraphsPerPage> DrawnSlots() const;
    bool WarningFlag(int slot) const;
    void PaintWarning(int slot, bool on);
    // main_window_open_close.cpp
    LoadPagesResult LoadAllPages();  // full mode, with the busy flag and `loading` raised
    LoadPagesHooks LoadHooks();
    void EndRun(int status);
    // Closes the window for a stop a signal asked for once no operation runs, or looks
    // again shortly.
    void FinishStopWhenIdle();
    void ApplyStartupPosition();
    StartupPosition CurrentPosition() const;
    void ShowInStartupState();
    bool SaveSetupOnClose();
    bool WebScreensOnlyPage() const;
    bool CommandLineMode() const { return state_.autostartseconds != 0; }
    bool NobodyToAnswer() const { return CommandLineMode() || options_.headless; }

    ProgramState& state_;
    WindowOptions options_;
    std::unique_ptr<RenderState> render_;

    // The page: the charts and their boxes. Painting is frozen on it, not on the window,
    // while a page is drawn and laid out.
    PageBackdrop* page_ = nullptr;
    // The images page captures are painted into, kept for the next capture once the
    // writer has let go of them: a round of pages then touches no new memory per page.
    std::array<QImage, 2> pageImages_;
    std::array<ChartView*, kGraphsPerPage> charts_{};
    std::array<QLabel*, kGraphsPerPage> valueBoxes_{};
    std::array<QLabel*, kGraphsPerPage> warningBoxes_{};
    std::array<QLabel*, kCompassBoxes> compassBoxes_{};
    QFrame* dataRefresh_ = nullptr;
    QFrame* progressBar_ = nullptr;
    QLineEdit* keyCapture_ = nullptr;  // takes the keyboard between commands
    QLineEdit* focusBox_ = nullptr;    // takes the focus before a capture
    MenuList* graphMenu_ = nullptr;
    MenuList* colorsMenu_ = nullptr;
    MenuList* webMenu_ = nullptr;
    MenuList* outputMenu_ = nullptr;
    AutoPagingFrame* autoFrame_ = nullptr;
    DaysFrame* daysFrame_ = nullptr;
    WatchLevelsFrame* levelsFrame_ = nullptr;
    SetupFrame* setupFrame_ = nullptr;
    int setupFramePage_ = 0;  // the page the setup frame was filled for
    TraceDialog* traceDialog_ = nullptr;
    QFrame* savingFrame_ = nullptr;
    std::unique_ptr<CompanionLauncher> companion_;
    ValuesListBox* valuesList_ = nullptr;
    std::optional<std::pair<int, int>> valueBoxUnderList_;  // page and slot
    std::unique_ptr<GraphCommands> graphCommands_;
    QPoint menuAt_;  // where the graph menu was, for the frames its commands open
    std::unique_ptr<SplashWindow> splash_;
    std::unique_ptr<PublishingController> publishing_;
    std::unique_ptr<PageImages> images_;
    std::unique_ptr<WindowPrinter> printer_;
    std::unique_ptr<OutputChooser> outputChooser_;
    std::unique_ptr<Paging> paging_;
    std::unique_ptr<WarningBlink> blink_;
    std::unique_ptr<WebScreens> webScreens_;
    std::unique_ptr<ServiceNotifier> service_;
    PagingAdapter pagingAdapter_{*this};
    PageImageAdapter imageAdapter_{*this};
    WebScreensAdapter webAdapter_{*this};
    GraphMenuAdapter menuAdapter_{*this};
    SetupCommandAdapter setupAdapter_{*this};

    std::string caption_;
    bool busy_ = false;
    int screenClass_ = 0;
    int currentGraph_ = 0;
    bool opened_ = false;  // the layout pass runs only once the page set exists
    bool layingOut_ = false;
    bool relayoutPending_ = false;
    bool drawing_ = false;  // a page is drawn (and its round image taken)
    bool redrawPending_ = false;
    bool closed_ = false;
    bool endingRun_ = false;
    bool stopRequested_ = false;
    int exitStatus_ = 0;
    PageGeometry lastLayout_;  // of the last layout pass, for cutting graph images
};

}  // namespace tidemark
