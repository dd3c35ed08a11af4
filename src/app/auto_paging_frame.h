#pragma once
// The "Auto Paging" frame: update now, page images on update, the page time, and the
// switch that turns paging (with the data refresh) on.
#include "app/floating_frame.h"

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace tidemark {

class AutoPagingFrame : public FloatingFrame {
    Q_OBJECT
public:
    explicit AutoPagingFrame(QWidget* parent);

    QCheckBox* JustUpdateNow() const { return justUpdate_; }
    QCheckBox* WritePageImage() const { return writeImage_; }
    QCheckBox* AutoPagingOn() const { return autoPaging_; }
    QSpinBox* PageTime() const { return pageTime_; }
    QPushButton* OkButton() const { return ok_; }

    // The page-time box as text, and set from the setup's text (a number of seconds).
    QString PageTimeText() const;
    void SetPageTimeText(const std::string& text);
    // Seconds between pages: the box's number, 1 when it is 0 or less.
    int PageSeconds() const;

Q_SIGNALS:
    void Confirmed();

private:
    QCheckBox* justUpdate_;
    QCheckBox* writeImage_;
    QSpinBox* pageTime_;
    QCheckBox* autoPaging_;
    QPushButton* ok_;
};

}  // namespace tidemark
