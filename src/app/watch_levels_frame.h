#pragma once
// The "Watch Levels" frame: the high and low levels of a graph and how many of its
// latest values are compared with them.
#include "app/floating_frame.h"

class QLineEdit;
class QPushButton;

namespace tidemark {

struct WatchLevelTexts;

class WatchLevelsFrame : public FloatingFrame {
    Q_OBJECT
public:
    explicit WatchLevelsFrame(QWidget* parent);

    void Fill(const WatchLevelTexts& texts);
    WatchLevelTexts Texts() const;

    QLineEdit* Level(int index) const;  // 0 "High", 1 "Low", 2 "Check last N values"
    QPushButton* OkButton() const { return ok_; }

Q_SIGNALS:
    void Confirmed();

private:
    QLineEdit* levels_[3];
    QPushButton* ok_;
};

}  // namespace tidemark
