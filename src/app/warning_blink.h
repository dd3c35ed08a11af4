#pragma once
// The warning blink: every 500 ms the "WARNING!" boxes of the graphs whose warning flag
// drawing raised turn red and back to their own background colour, which hides them.
#include <QObject>
#include <QTimer>
#include <functional>

namespace tidemark {

class WarningBlink : public QObject {
    Q_OBJECT
public:
    // flagged(slot): whether the graph at that position warns. paint(slot, on): its
    // warning text red (on) or in its box's own colour (off).
    WarningBlink(std::function<bool(int slot)> flagged, std::function<void(int slot, bool on)> paint);

    void Start() { timer_.start(); }
    void Stop() { timer_.stop(); }
    bool Running() const { return timer_.isActive(); }
    void Tick();

    QTimer& Timer() { return timer_; }
    bool Phase() const { return phase_; }

private:
    std::function<bool(int)> flagged_;
    std::function<void(int, bool)> paint_;
    QTimer timer_;
    bool phase_ = false;
};

}  // namespace tidemark
