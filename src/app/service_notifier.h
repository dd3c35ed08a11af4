#pragma once
// Tells the service manager that runs the display how it is: loading, ready once page 1
// is shown, alive (watchdog pings from the interface thread's event loop, so a thread
// that hangs stops them and the manager restarts the display), what it shows, and that
// it is stopping. Without a link (a program started by hand) it does nothing.
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>

#include "app/service_status.h"

namespace tidemark {

class ServiceManagerLink;

class ServiceNotifier : public QObject {
    Q_OBJECT
public:
    // Pings start at once when the link names a watchdog: a load yields to the event
    // loop, and its pings tell the manager it is still alive.
    explicit ServiceNotifier(std::shared_ptr<ServiceManagerLink> link);
    ~ServiceNotifier() override;

    // The load at start: it may take longer than the manager waits for a start, so each
    // ping until Ready() extends that wait.
    void Starting();
    // Page 1 is shown; told once, later calls do nothing.
    void Ready();
    // Told once; later calls do nothing.
    void Stopping();

    void PageShown(int page, double dataTime);
    void Reloaded(const ServiceOutcome& outcome);
    void Published(const std::string& image, const ServiceOutcome& outcome, int roundImages, int roundMissed);

    bool Linked() const { return link_ != nullptr; }
    const ServiceStatus& Status() const { return status_; }
    QTimer& PingTimer() { return pings_; }

private:
    void Ping();
    // Sends the status when it reads differently from the last one sent.
    void TellStatus();
    void Send(const std::string& assignments);

    std::shared_ptr<ServiceManagerLink> link_;
    QTimer pings_;
    std::chrono::microseconds startExtension_{};
    bool starting_ = false;
    bool ready_ = false;
    bool stopping_ = false;
    ServiceStatus status_;
    std::string statusSent_;
};

}  // namespace tidemark
