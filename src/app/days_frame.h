#pragma once
// The "Days to graph" frame: the days graphed up to today, the days after today, and an
// optional historical start date.
#include "app/floating_frame.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tidemark {

class DaysFrame : public FloatingFrame {
    Q_OBJECT
public:
    explicit DaysFrame(QWidget* parent);

    QSpinBox* Days() const { return days_; }
    QSpinBox* FutureDays() const { return futureDays_; }
    QCheckBox* HistoricalStart() const { return historical_; }
    QLineEdit* HistoryStartDate() const { return historyStart_; }
    QPushButton* OkButton() const { return ok_; }

Q_SIGNALS:
    void Confirmed();

private:
    QSpinBox* days_;
    QSpinBox* futureDays_;
    QCheckBox* historical_;
    QLineEdit* historyStart_;
    QPushButton* ok_;
};

}  // namespace tidemark
