#include "app/service_status.h"

#include "app/console_host.h"
#include "core/vbtext.h"

namespace tidemark {
namespace {

std::string Clock(double at) { return FormatDate(at, "yyyy-mm-dd hh:mm:ss"); }

std::string OutcomeText(const ServiceOutcome& outcome) {
    return Clock(outcome.at) + (outcome.fault.empty() ? " ok" : " failed: " + outcome.fault);
}

std::string PageText(const ServiceStatus& status) {
    if (status.page == 0) return "loading";
    std::string text = "page " + std::to_string(status.page);
    // The update stamp is read at the end of the load that shows page 1.
    if (status.dataTime > 0) text += ", data of " + FormatDate(status.dataTime, "yyyy-mm-dd hh:mm");
    return text;
}

// A round of the kiosk is a process of its own, which pages through the data it loaded
// at its start: "none yet" would be said in every round.
std::string ReloadText(const ServiceStatus& status) {
    if (status.reload) return "; last reload " + OutcomeText(*status.reload);
    return status.page == 0 ? std::string() : std::string(", loaded at start");
}

std::string PublicationText(const ServiceStatus& status) {
    if (!status.publication) return "last image none yet";
    const ServiceOutcome& last = *status.publication;
    std::string text =
        "last image " + status.publishedImage + " " + (last.fault.empty() ? Clock(last.at) + " ok" : OutcomeText(last));
    if (status.roundImages > 0)
        text += " (" + std::to_string(status.roundImages - status.roundMissed) + " of " +
                std::to_string(status.roundImages) + " this round)";
    return text;
}

}  // namespace

std::string ServiceStatusText(const ServiceStatus& status) {
    return ConsoleHost::OneLine(PageText(status) + ReloadText(status) + "; " + PublicationText(status));
}

}  // namespace tidemark
