#include "app/days_frame.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace tidemark {

DaysFrame::DaysFrame(QWidget* parent) : FloatingFrame("Days to graph", parent) {
    auto* grid = new QGridLayout(Body());
    auto* caption = new QLabel("Days to graph", this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    days_ = new QSpinBox(this);
    days_->setRange(0, 32767);
    days_->setValue(1);
    futureDays_ = new QSpinBox(this);
    futureDays_->setRange(-32767, 32767);
    futureDays_->setValue(0);
    historical_ = new QCheckBox("Historical Start Date", this);
    historyStart_ = new QLineEdit(this);
    ok_ = new QPushButton("Ok", this);
    grid->addWidget(caption, 0, 0, 1, 2);
    grid->addWidget(days_, 1, 0);
    grid->addWidget(new QLabel("Future Days", this), 2, 0);
    grid->addWidget(futureDays_, 3, 0);
    grid->addWidget(historical_, 4, 0, 1, 2);
    grid->addWidget(historyStart_, 5, 0, 1, 2);
    grid->addWidget(ok_, 6, 1, Qt::AlignRight);
    connect(ok_, &QPushButton::clicked, this, &DaysFrame::Confirmed);
}

}  // namespace tidemark
