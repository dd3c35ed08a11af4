// The Auto Paging and Days frames: what their "Ok" buttons do.
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <iostream>

#include "app/auto_paging_frame.h"
#include "app/days_frame.h"
#include "app/main_window.h"
#include "core/daynum.h"
#include "core/vbtext.h"
#include "data/update_check.h"
#include "platform/ui/chart_painter.h"

namespace tidemark {
namespace {

std::string BoxText(const QLineEdit* box) {
    QByteArray bytes = box->text().toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

void MainWindow::ConfirmPublishingFromSettings(bool commandLineMode) {
    // The publishing settings dialog confirmed with what Tidemark_autoweb.txt holds; a
    // password (command line or environment) ticks FTP.
    PublishSettingsFile file = ReadPublishSettings(state_.programFolder);
    PublishChoice choice;
    choice.address = file.address;
    choice.folder = file.folder;
    choice.user = file.user;
    choice.saveEachGraph = file.saveEachGraph;
    choice.password = options_.password;
    choice.ftp = !options_.password.empty();
    if (ConfirmPublishing(choice, state_.programFolder, commandLineMode, publish_, state_.imageCycleMarker) ==
        ConfirmOutcome::NeedsPassword) {
        Message("Enter a password for FTP");
        return;
    }
    if (publish_.ftp && !ftpNoticeShown_) {
        ftpNoticeShown_ = true;
        std::cerr << "FTP publishing is not available in this version; page images are kept in "
                  << publish_.imageBasePath.substr(0, publish_.imageBasePath.rfind('/') + 1) << std::endl;
    }
}

void MainWindow::ConfirmAutoPaging() {
    autoFrame_->hide();
    if (autoFrame_->JustUpdateNow()->isChecked()) {
        autoFrame_->JustUpdateNow()->setChecked(false);
        auto checked = CheckUpdate(*this, state_);
        if (!checked) SetCaption(BaseCaption(state_) + " ... update check failed: " + checked.error());
        int page = state_.currentpage;
        ReloadAllPages();
        state_.currentpage = static_cast<int16_t>(page);
        DrawCurrentPage();
        return;
    }
    bool writeImages = autoFrame_->WritePageImage()->isChecked();
    state_.imageCycleMarker = writeImages ? -1 : 0;
    if (autoFrame_->AutoPagingOn()->isChecked()) {
        if (writeImages) ConfirmPublishingFromSettings(CommandLineMode());
        StartPaging();
        nextPage();
    } else {
        state_.imageCycleMarker = 0;
        pagingTimer_.stop();
    }
}

void MainWindow::ShowDaysFrame(const QPoint& topLeft) {
    const SetupSettings& s = state_.settings;
    int days = s.daysisspan ? s.days - s.endday : s.days;
    daysFrame_->Days()->setValue(days);
    daysFrame_->FutureDays()->setValue(s.endday);
    if (daysFrame_->HistoryStartDate()->text().trimmed().isEmpty())
        daysFrame_->HistoryStartDate()->setText(ProgramText(FormatDate(DatePart(Now()) - 14, "mmm-dd-yyyy")));
    daysFrame_->ShowAt(topLeft);
}

void MainWindow::ConfirmDays() {
    daysFrame_->hide();
    SetupSettings& s = state_.settings;
    int presentSpan = s.daysisspan ? s.days : s.days + s.endday;
    int presentEndday = s.endday;
    int newDays = daysFrame_->Days()->value();
    int newSpan = newDays + presentEndday;
    int newEndday = daysFrame_->FutureDays()->value();
    bool historical = daysFrame_->HistoricalStart()->isChecked();
    if (newSpan == presentSpan && newEndday == presentEndday && !historical && !historyStartState_) return;

    bool presentHistorical = state_.historicalStart;
    std::string presentHistoryText = state_.historyStartText;
    s.endday = static_cast<int16_t>(newEndday);
    s.days = static_cast<int16_t>(newDays);
    s.daysisspan = false;
    historyStartState_ = historical;
    state_.historicalStart = historical;
    state_.historyStartText = BoxText(daysFrame_->HistoryStartDate());
    ClearCurrentValues();
    LoadOutcome outcome = LoadPagesAgain();
    if (!outcome.ok) {
        // The reload kept the data shown (its caption says why); the window it was drawn
        // for stays in force too.
        s.endday = static_cast<int16_t>(presentEndday);
        state_.historicalStart = presentHistorical;
        state_.historyStartText = presentHistoryText;
        historyStartState_ = presentHistorical;
        Message(outcome.message, MsgButtons::Ok, MsgIcon::Exclamation);
    }
    ++reloadCount_;
    Q_EMIT Reloaded(outcome.ok);
    DrawCurrentPage();
}

}  // namespace tidemark
