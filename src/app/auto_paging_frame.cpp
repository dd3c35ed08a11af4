#include "app/auto_paging_frame.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

#include "core/vbtext.h"

namespace tidemark {

AutoPagingFrame::AutoPagingFrame(QWidget* parent) : FloatingFrame("Auto Paging", parent) {
    auto* grid = new QGridLayout(Body());
    auto* caption = new QLabel("Auto Paging", this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    justUpdate_ = new QCheckBox("Just update now", this);
    justUpdate_->setToolTip("Update all graphs now");
    writeImage_ = new QCheckBox("Write page image on update", this);
    writeImage_->setToolTip("Save and FTP pages on update refresh");
    pageTime_ = new QSpinBox(this);
    pageTime_->setRange(0, 32767);
    pageTime_->setValue(5);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(new QLabel("Next page every", this));
    timeRow->addWidget(pageTime_);
    timeRow->addWidget(new QLabel("seconds", this));
    autoPaging_ = new QCheckBox("Turn on auto paging and data refresh", this);
    ok_ = new QPushButton("Ok", this);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(justUpdate_, 1, 0);
    grid->addWidget(writeImage_, 2, 0);
    grid->addLayout(timeRow, 3, 0);
    grid->addWidget(autoPaging_, 4, 0);
    grid->addWidget(ok_, 5, 0, Qt::AlignRight);
    pageTime_->setEnabled(false);
    connect(autoPaging_, &QCheckBox::toggled, pageTime_, &QWidget::setEnabled);
    connect(ok_, &QPushButton::clicked, this, &AutoPagingFrame::Confirmed);
}

QString AutoPagingFrame::PageTimeText() const { return QString::number(pageTime_->value()); }

void AutoPagingFrame::SetPageTimeText(const std::string& text) {
    if (Trim(text).empty()) return;  // the box keeps what it shows
    double seconds = std::trunc(Val(text));
    if (seconds < 0) seconds = -seconds;
    pageTime_->setValue(static_cast<int>(std::min(seconds, 32767.0)));
}

int AutoPagingFrame::PageSeconds() const { return pageTime_->value() < 1 ? 1 : pageTime_->value(); }

}  // namespace tidemark
