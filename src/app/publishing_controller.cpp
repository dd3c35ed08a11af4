#include "app/publishing_controller.h"

#include <QCheckBox>
#include <QCoreApplication>

#include "app/publish_dialog.h"

namespace tidemark {

PublishingController::PublishingController(ProgramState& state, Host& host, QWidget* dialogParent,
                                           std::function<void()> reopenAutoPaging, UploadFunction upload,
                                           SweepFunction sweep)
    : state_(state), host_(host), dialogParent_(dialogParent), reopenAutoPaging_(std::move(reopenAutoPaging)),
      upload_(std::move(upload)), sweep_(std::move(sweep)) {}

PublishingController::~PublishingController() = default;

PublishDialog& PublishingController::Dialog() {
    LoadDialog();
    return *dialog_;
}

void PublishingController::LoadDialog() {
    if (dialog_) return;
    dialog_ = std::make_unique<PublishDialog>(dialogParent_);
    dialog_->setModal(true);
    PublishSettingsFile file = ReadPublishSettings(state_.programFolder);
    // The boxes stay empty, as for a missing file, and the user learns why.
    if (!file.fault.empty()) host_.Message(file.fault, MsgButtons::Ok, MsgIcon::Exclamation);
    settingsUnreadable_ = !file.fault.empty();
    dialog_->LoadOnce(file);
    QObject::connect(dialog_.get(), &PublishDialog::OkClicked, [this] { Ok(); });
    QObject::connect(dialog_.get(), &PublishDialog::CancelClicked, [this] { Cancel(); });
    QObject::connect(dialog_.get(), &PublishDialog::SaveWebInfoClicked, [this] { SaveWebInfo(); });
}

void PublishingController::ShowModal() {
    LoadDialog();
    // exec() returns once OK or Cancel has hidden the dialog.
    dialog_->exec();
}

void PublishingController::ConfirmUnattended(const std::string& password) {
    LoadDialog();
    if (!password.empty()) dialog_->SetPassword(password);
    host_.Yield();
    Ok();
    // Nobody is there to type the settings the file should have given.
    publish_.settingsUnreadable = settingsUnreadable_;
    host_.Yield();
}

void PublishingController::TickFtp() { Dialog().SetFtpTicked(true); }

void PublishingController::ClearOneOffPublish() {
    state_.imageCycleMarker = 0;
    if (dialog_) dialog_->SetFtpTicked(false);
    publish_.ftp = false;
}

void PublishingController::Ok() {
    dialog_->hide();
    host_.Yield();
    ConfirmOutcome outcome = ConfirmPublishing(dialog_->Choice(), state_.programFolder, CommandLineMode(), publish_,
                                               state_.imageCycleMarker);
    if (outcome == ConfirmOutcome::NeedsPassword) {
        host_.Message("Enter a password for FTP");
        if (reopenAutoPaging_) reopenAutoPaging_();
    }
}

void PublishingController::Cancel() {
    dialog_->hide();
    state_.imageCycleMarker = 0;
}

void PublishingController::SaveWebInfo() {
    std::string path = state_.programFolder + kPublishSettingsFileName;
    Result<void> written = WritePublishSettings(state_.programFolder, dialog_->SettingsFile());
    if (!written) {
        host_.Message(written.error(), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    host_.Message(path + " ... saved.");
}

}  // namespace tidemark
