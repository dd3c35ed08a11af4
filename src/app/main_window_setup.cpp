// The window's side of setup editing: the setup frame and its buttons, the "Saving
// setup..." frame, and what the setup command needs of the screen.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/auto_paging_frame.h"
#include "app/companion_launcher.h"
#include "app/main_window.h"
#include "app/setup_frame.h"
#include "setup/setup_writer.h"
#include "storage/db/editor_launcher.h"
#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

// The page's number as saving writes it: removed pages are not counted.
int ShownPageNumber(const PageSet& pages, int page) {
    int shown = 0;
    for (int p = 1; p <= page; ++p)
        if (!pages.Page(p).removed) ++shown;
    return std::max(shown, 1);
}

}  // namespace

void MainWindow::CreateSetupFrame() {
    setupFrame_ = new SetupFrame(this);
    connect(setupFrame_, &SetupFrame::SaveRequested, this, &MainWindow::RunSetupCommand);
    connect(setupFrame_, &SetupFrame::EditSetupRequested, this, &MainWindow::EditSetupFile);
    connect(setupFrame_, &SetupFrame::CompanionRequested, this,
            [this] { companion_->Launch(state_.programFolder, ToProgramText(setupFrame_->Dsid()->text())); });
    // The box is the one state of the setting: fetching reads it from the next fetch on.
    connect(setupFrame_, &SetupFrame::MaxMinChanged, this,
            [this](bool on) { state_.settings.includedailymaxmin = on; });
    companion_ = std::make_unique<CompanionLauncher>(*this);

    savingFrame_ = new QFrame(this);
    savingFrame_->setObjectName("FrameSaving");
    savingFrame_->setFrameShape(QFrame::Box);
    savingFrame_->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(savingFrame_);
    layout->addWidget(new QLabel("Saving setup...", savingFrame_));
    savingFrame_->hide();
}

void MainWindow::OpenSetupFrame() {
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page) || page < 1) return;
    FillSetupFrame();
    setupFrame_->ShowAt(menuAt_);
}

void MainWindow::FillSetupFrame() {
    int page = state_.currentpage;
    if (!state_.pages.ValidPage(page) || page < 1) return;
    const PageRec& rec = state_.pages.Page(page);
    setupFrame_->Fill(ShownPageNumber(state_.pages, page), currentGraph_, rec.title,
                      rec.slots.at(static_cast<size_t>(currentGraph_)), state_.catalogue, state_.settings);
    setupFramePage_ = page;
}

void MainWindow::FollowPageInSetupFrame() {
    if (!setupFrame_->isVisible() || setupFramePage_ == state_.currentpage) return;
    // The slot picked on the page before may be empty here: the frame opens on the
    // page's first graph.
    currentGraph_ = 0;
    FillSetupFrame();
}

void MainWindow::RunSetupCommand() {
    SetupFrameState frame = setupFrame_->State();
    if (frame.option) setupFrame_->hide();
    SetupCommandOutcome outcome = CommandSave(state_, *this, setupAdapter_, frame, currentGraph_);
    if (outcome != SetupCommandOutcome::NoOption) setupFrame_->ClearOption();
}

void MainWindow::EditSetupFile() {
    // The user edits the file itself now; what the window changed is not asked about.
    OpenInEditor(state_.programFolder + "Tidemark_setup.txt");
    state_.setupdirty = false;
}

Result<void> MainWindow::SaveSetup() {
    SetupSettings& s = state_.settings;
    s.startup = CurrentPosition();
    s.autopaging = autoFrame_->AutoPagingOn()->isChecked();
    s.pageseconds = autoFrame_->PageTimeText().toStdString();
    SetupWriter writer(webScreens_.get());
    return writer.Write(state_.programFolder, s, state_.pages);
}

// --- what the setup command needs beyond the PageScreen ---

void MainWindow::SetupCommandAdapter::ShowSaving(bool shown) {
    QFrame* saving = w_.savingFrame_;
    if (shown) {
        saving->adjustSize();
        saving->move((w_.width() - saving->width()) / 2, (w_.height() - saving->height()) / 2);
        saving->raise();
    }
    saving->setVisible(shown);
    if (shown) saving->repaint();
}

void MainWindow::SetupCommandAdapter::ReloadPages() {
    int page = w_.state_.currentpage;
    w_.paging_->ReloadAllPages();
    w_.state_.currentpage = static_cast<int16_t>(page);
}

void MainWindow::SetupCommandAdapter::PrepareWebScreen(int page, int slot) { w_.webScreens_->Load(page, slot); }

}  // namespace tidemark
