#include "app/service_notifier.h"

#include <algorithm>

#include "devices/net/service_manager.h"

namespace tidemark {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// The manager restarts a display that misses one watchdog interval: three pings to each
// interval leave room for a late timer and a busy machine.
constexpr int kPingsPerInterval = 3;
// A start with no watchdog to ping gets this long for its load in one go.
constexpr microseconds kStartAllowance = std::chrono::minutes(5);

}  // namespace

ServiceNotifier::ServiceNotifier(std::shared_ptr<ServiceManagerLink> link) : link_(std::move(link)) {
    pings_.setObjectName("watchdogTimer");
    pings_.setTimerType(Qt::PreciseTimer);
    connect(&pings_, &QTimer::timeout, this, &ServiceNotifier::Ping);
    if (!link_ || link_->Watchdog() <= microseconds::zero()) return;
    const auto interval = std::chrono::duration_cast<milliseconds>(link_->Watchdog() / kPingsPerInterval);
    pings_.start(std::max<milliseconds>(interval, milliseconds(1)));
    // Each ping of the load gives the start one more watchdog interval.
    startExtension_ = link_->Watchdog();
}

ServiceNotifier::~ServiceNotifier() = default;

void ServiceNotifier::Starting() {
    if (!link_) return;
    starting_ = true;
    statusSent_ = ServiceStatusText(status_);
    const microseconds allowance = startExtension_ > microseconds::zero() ? startExtension_ : kStartAllowance;
    Send("STATUS=" + statusSent_ + "\nEXTEND_TIMEOUT_USEC=" + std::to_string(allowance.count()));
}

void ServiceNotifier::Ready() {
    if (!link_ || ready_) return;
    ready_ = true;
    starting_ = false;
    statusSent_ = ServiceStatusText(status_);
    Send("READY=1\nSTATUS=" + statusSent_);
}

void ServiceNotifier::Stopping() {
    // A stop a signal asked for is told at once, and again by the close that ends it.
    if (!link_ || stopping_) return;
    stopping_ = true;
    pings_.stop();
    Send("STOPPING=1\nSTATUS=stopping; " + ServiceStatusText(status_));
}

void ServiceNotifier::PageShown(int page, double dataTime) {
    status_.page = page;
    status_.dataTime = dataTime;
    TellStatus();
}

void ServiceNotifier::Reloaded(const ServiceOutcome& outcome) {
    status_.reload = outcome;
    TellStatus();
}

void ServiceNotifier::Published(const std::string& image, const ServiceOutcome& outcome, int roundImages,
                                int roundMissed) {
    status_.publishedImage = image;
    status_.publication = outcome;
    status_.roundImages = roundImages;
    status_.roundMissed = roundMissed;
    TellStatus();
}

void ServiceNotifier::Ping() {
    if (starting_)
        Send("WATCHDOG=1\nEXTEND_TIMEOUT_USEC=" + std::to_string(startExtension_.count()));
    else
        Send("WATCHDOG=1");
}

void ServiceNotifier::TellStatus() {
    // Before READY the manager shows the start; the first status goes with READY.
    // Once stopping, the manager keeps the stop's status.
    if (!link_ || !ready_ || stopping_) return;
    std::string text = ServiceStatusText(status_);
    if (text == statusSent_) return;
    statusSent_ = text;
    Send("STATUS=" + text);
}

void ServiceNotifier::Send(const std::string& assignments) {
    // A manager that cannot be told now is told again by the next ping or status; there is
    // nobody else to tell, and the display goes on.
    (void)link_->Send(assignments);
}

}  // namespace tidemark
