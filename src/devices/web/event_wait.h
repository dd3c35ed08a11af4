#pragma once
// Bounded waits that let the event loop run, for the browser and the program alike.
#include <QDateTime>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <algorithm>

namespace tidemark {

inline qint64 NowMs() { return QDateTime::currentMSecsSinceEpoch(); }

// Lets events run until `done` holds or `ms` have passed; true when it holds.
template <typename Done>
bool WaitFor(const Done& done, int ms) {
    qint64 end = NowMs() + ms;
    while (!done()) {
        qint64 left = end - NowMs();
        if (left <= 0) return false;
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(std::min<qint64>(left, 10)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// Lets events run for `ms`.
inline void Pause(int ms) {
    WaitFor([] { return false; }, ms);
}

// What is left of a bound on several waits in a row.
class Deadline {
public:
    explicit Deadline(int ms) : end_(NowMs() + ms) {}
    int Left() const { return static_cast<int>(std::max<qint64>(0, end_ - NowMs())); }

private:
    qint64 end_;
};

// All pixels alike: a frame the engine has not painted into yet (or only its backdrop).
inline bool Uniform(const QImage& image) {
    if (image.isNull()) return true;
    QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != first) return false;
    return true;
}

}  // namespace tidemark
