#pragma once
// Publishing as the window sees it: the publishing settings dialog, made once and shown
// again, the state its OK leaves (where images go, FTP on or off), and the upload of each
// written image. The window owns one and asks it; it needs of the window only the Host
// (messages, yields) and a way to reopen the Auto Paging frame.
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "core/host.h"
#include "data/program_state.h"
#include "publish/publish_settings.h"
#include "publish/save_and_publish.h"

class QWidget;

namespace tidemark {

class PublishDialog;

// Sends one file; the window's FTP client, or none while the program has no network.
using UploadFunction = std::function<bool(const PublishState&, const std::string& path, const std::string& remote)>;
// Tidies the site's folder after a round that began at `roundStart`.
using SweepFunction = std::function<void(const PublishState&, std::time_t roundStart)>;

class PublishingController {
public:
    PublishingController(ProgramState& state, Host& host, QWidget* dialogParent, std::function<void()> reopenAutoPaging,
                         UploadFunction upload = {}, SweepFunction sweep = {});
    ~PublishingController();

    // Shows the dialog (filled from the settings file the first time) and waits until
    // it is hidden again by OK or Cancel.
    void ShowModal();
    // An unattended start: the dialog loaded as usual, the password (when there is one)
    // typed in, then confirmed as if OK were pressed.
    void ConfirmUnattended(const std::string& password);
    // The output chooser's one-off publish: "FTP image to web site" ticked before the
    // dialog is shown, and everything cleared again after the image went out.
    void TickFtp();
    void ClearOneOffPublish();

    const PublishState& State() const { return publish_; }
    PublishDialog& Dialog();
    bool HasUpload() const { return static_cast<bool>(upload_); }
    const UploadFunction& Upload() const { return upload_; }
    const SweepFunction& Sweep() const { return sweep_; }

private:
    void LoadDialog();
    void Ok();
    void Cancel();
    void SaveWebInfo();
    bool CommandLineMode() const { return state_.autostartseconds != 0; }

    ProgramState& state_;
    Host& host_;
    QWidget* dialogParent_;
    std::function<void()> reopenAutoPaging_;
    UploadFunction upload_;
    SweepFunction sweep_;
    std::unique_ptr<PublishDialog> dialog_;
    PublishState publish_;
    bool settingsUnreadable_ = false;
};

}  // namespace tidemark
