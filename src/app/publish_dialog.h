#pragma once
// The publishing settings dialog: where page images go (a web site by FTP, or a folder
// on this machine), the site's folder and user, the password (kept only in the dialog,
// never written), and whether each graph is saved on its own. It is made once per run
// and only hidden between uses, so a password typed once serves every later upload.
#include <QDialog>
#include <string>

#include "publish/publish_settings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tidemark {

class PublishDialog : public QDialog {
    Q_OBJECT
public:
    explicit PublishDialog(QWidget* parent = nullptr);

    // Fills the boxes from the settings file, the first time only: afterwards the boxes
    // keep what the user typed.
    void LoadOnce(const PublishSettingsFile& file);
    bool Loaded() const { return loaded_; }

    PublishChoice Choice() const;
    PublishSettingsFile SettingsFile() const;

    // The command line or the environment gave a password: it goes into the box, which
    // ticks "FTP image to web site" as typing would.
    void SetPassword(const std::string& password);
    void SetFtpTicked(bool ticked);

    QLineEdit* AddressBox() const { return address_; }
    QLineEdit* FolderBox() const { return folder_; }
    QLineEdit* UserBox() const { return user_; }
    QLineEdit* PasswordBox() const { return password_; }
    QCheckBox* SaveEachGraph() const { return saveEachGraph_; }
    QCheckBox* FtpImage() const { return ftp_; }
    QPushButton* SaveWebInfoButton() const { return saveWebInfo_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

Q_SIGNALS:
    void SaveWebInfoClicked();
    void OkClicked();
    void CancelClicked();

protected:
    // Closing by the window frame is the same as "Cancel".
    void reject() override;

private:
    QLineEdit* address_;
    QLineEdit* folder_;
    QLineEdit* user_;
    QLineEdit* password_;
    QCheckBox* saveEachGraph_;
    QCheckBox* ftp_;
    QPushButton* saveWebInfo_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool loaded_ = false;
};

}  // namespace tidemark
