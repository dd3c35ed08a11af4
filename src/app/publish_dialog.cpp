#include "app/publish_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "storage/qt_bridge/qt_bridge.h"

namespace tidemark {
namespace {

QLineEdit* Box(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

PublishDialog::PublishDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("formSaveMe");
    setWindowTitle("Save page images to file on auto update");

    address_ = Box("txtwebsiteURL", this);
    address_->setToolTip("Web address or your hard drive folder like /mydata/ ");
    folder_ = Box("txtWebstiteFolder", this);
    user_ = Box("txtwebsiteUname", this);
    password_ = Box("txtWebsitePW", this);
    password_->setEchoMode(QLineEdit::Password);
    saveEachGraph_ = new QCheckBox("Save each graph separately", this);
    saveEachGraph_->setObjectName("chkSaveEachGraph");
    ftp_ = new QCheckBox("FTP image to web site", this);
    ftp_->setObjectName("chkFTPme");
    ftp_->setToolTip("Send to remote FTP site.");
    saveWebInfo_ = Button("CommandSaveWeb", "Save Web Info", this);
    ok_ = Button("OKButton", "OK", this);
    cancel_ = Button("CancelButton", "Cancel", this);
    ok_->setDefault(true);

    auto* form = new QFormLayout;
    form->addRow("Website Address (or hard drive folder):", address_);
    form->addRow("Website Folder Name:", folder_);
    form->addRow("User name:", user_);
    form->addRow("Password:", password_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveWebInfo_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(saveEachGraph_);
    layout->addWidget(ftp_);
    layout->addLayout(buttons);

    connect(password_, &QLineEdit::textEdited, this, [this] { ftp_->setChecked(true); });
    connect(saveWebInfo_, &QPushButton::clicked, this, &PublishDialog::SaveWebInfoClicked);
    connect(ok_, &QPushButton::clicked, this, &PublishDialog::OkClicked);
    connect(cancel_, &QPushButton::clicked, this, &PublishDialog::CancelClicked);
}

void PublishDialog::LoadOnce(const PublishSettingsFile& file) {
    if (loaded_) return;
    loaded_ = true;
    address_->setText(ProgramText(file.address));
    folder_->setText(ProgramText(file.folder));
    user_->setText(ProgramText(file.user));
    saveEachGraph_->setChecked(file.saveEachGraph);
}

PublishChoice PublishDialog::Choice() const {
    PublishChoice choice;
    choice.address = ToProgramText(address_->text());
    choice.folder = ToProgramText(folder_->text());
    choice.user = ToProgramText(user_->text());
    choice.password = ToProgramText(password_->text());
    choice.saveEachGraph = saveEachGraph_->isChecked();
    choice.ftp = ftp_->isChecked();
    return choice;
}

PublishSettingsFile PublishDialog::SettingsFile() const {
    PublishChoice c = Choice();
    return PublishSettingsFile{c.address, c.folder, c.user, c.saveEachGraph};
}

void PublishDialog::SetPassword(const std::string& password) {
    password_->setText(ProgramText(password));
    if (!password.empty()) ftp_->setChecked(true);
}

void PublishDialog::SetFtpTicked(bool ticked) { ftp_->setChecked(ticked); }

void PublishDialog::reject() { Q_EMIT CancelClicked(); }

}  // namespace tidemark
