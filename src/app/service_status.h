#pragma once
// What the service manager shows of a running display ("systemctl --user status"): the
// page on the screen and the time of its data, whether that data was loaded at the start
// or how the last reload went, and what became of the last page image. One line, which
// its manager shows as it is.
#include <optional>
#include <string>

namespace tidemark {

// How one reload or one publication ended, and when (a day number of the program's
// clock).
struct ServiceOutcome {
    double at = 0;
    std::string fault;  // empty when it went well
};

struct ServiceStatus {
    int page = 0;         // 0 until a page is shown
    double dataTime = 0;  // the update stamp of the data shown, 0 while not read yet
    std::optional<ServiceOutcome> reload;
    std::optional<ServiceOutcome> publication;
    std::string publishedImage;  // the file name of the last image published
    int roundImages = 0;         // images of this round of the image cycle so far
    int roundMissed = 0;         // of them, those not written or not sent
};

// The status as one line of printable text: a newline in a fault would end the
// assignment and begin another, so line breaks show as " / " and other control
// characters as \xNN.
std::string ServiceStatusText(const ServiceStatus& status);

}  // namespace tidemark
