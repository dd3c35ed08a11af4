// The publishing settings dialog as the Auto Paging frame opens it, in the real window.
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "app/auto_paging_frame.h"
#include "window_fixture.h"

using namespace tidemark;
using namespace tidemark::apptest;

namespace {

void StartImageRound(MainWindow& window) {
    AutoPagingFrame* frame = window.AutoPaging();
    frame->WritePageImage()->setChecked(true);
    frame->AutoPagingOn()->setChecked(true);
    frame->PageTime()->setValue(3600);
    window.Pager().ConfirmAutoPaging();
}

}  // namespace

TEST_F(WindowTest, PublishDialogRemembersTheSiteButNeverThePassword) {
    WriteFourPages();
    ASSERT_TRUE(WriteFileAtomic(db_.Folder() + "Tidemark_autoweb.txt",
                                "ftp.example.org\r\nimages\r\nwebuser\r\n 1  Separately on/off\r\n"));
    ASSERT_EQ(Open(), 0);
    PublishDialog& dialog = window_->Publishing().Dialog();
    EXPECT_EQ(dialog.windowTitle(), "Save page images to file on auto update");
    EXPECT_EQ(dialog.AddressBox()->text(), "ftp.example.org");
    EXPECT_EQ(dialog.FolderBox()->text(), "images");
    EXPECT_EQ(dialog.UserBox()->text(), "webuser");
    EXPECT_TRUE(dialog.SaveEachGraph()->isChecked());
    EXPECT_FALSE(dialog.FtpImage()->isChecked());

    // Typing a password ticks FTP; Save Web Info writes the boxes but the password.
    dialog.show();
    QTest::keyClicks(dialog.PasswordBox(), "s3cret");
    EXPECT_TRUE(dialog.FtpImage()->isChecked());
    dialog.FolderBox()->setText("river");
    dialog.SaveWebInfoButton()->click();
    std::string path = db_.Folder() + "Tidemark_autoweb.txt";
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(messages_.back(), path + " ... saved.");
    EXPECT_EQ(*ReadFileBytes(path), "ftp.example.org\r\nriver\r\nwebuser\r\n 1  Separately on/off\r\n");
    dialog.hide();

    // OK with the password: FTP on, images under the program folder; the dialog keeps its
    // boxes when it is shown again.
    AnswerPublishDialog("OKButton");
    StartImageRound(*window_);
    EXPECT_TRUE(window_->Images().Publishing().ftp);
    EXPECT_EQ(window_->Images().Publishing().imageBasePath, db_.Folder() + "Tidemark_window.png");
    EXPECT_EQ(dialog.PasswordBox()->text(), "s3cret");
    EXPECT_EQ(ReadFileBytes(path)->find("s3cret"), std::string::npos);
}

TEST_F(WindowTest, FtpWithoutAPasswordAsksForOneAndCancelEndsTheRound) {
    WriteFourPages();
    ASSERT_EQ(Open(), 0);
    AnswerPublishDialog("OKButton", [](PublishDialog& d) {
        d.AddressBox()->setText("ftp.example.org");
        d.FtpImage()->setChecked(true);
    });
    StartImageRound(*window_);
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(messages_.back(), "Enter a password for FTP");
    EXPECT_FALSE(window_->Images().Publishing().ftp);
    EXPECT_TRUE(window_->AutoPaging()->isVisible());  // reopened for another try

    window_->AutoPaging()->hide();
    AnswerPublishDialog("CancelButton");
    StartImageRound(*window_);
    EXPECT_EQ(state_.imageCycleMarker, 0);
}
