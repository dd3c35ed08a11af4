#include "app/warning_blink.h"

#include "setup/setup_model.h"

namespace tidemark {

WarningBlink::WarningBlink(std::function<bool(int)> flagged, std::function<void(int, bool)> paint)
    : flagged_(std::move(flagged)), paint_(std::move(paint)) {
    timer_.setObjectName("blinkTimer");
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, &WarningBlink::Tick);
}

void WarningBlink::Tick() {
    for (int s = 0; s < kGraphsPerPage; ++s)
        if (flagged_(s)) paint_(s, phase_);
    phase_ = !phase_;
}

}  // namespace tidemark
