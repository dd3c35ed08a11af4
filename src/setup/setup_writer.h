#pragma once
// Writes the settings and pages back to Tidemark_setup.txt, keeps the previous file as
// Tidemark_setup_backup.txt, and lists the switched-off graphs in Tidemark_OnOff.txt.
#include <optional>
#include <string>

#include "core/result.h"
#include "setup/setup_model.h"
#include "setup/web_screen_slot.h"

namespace tidemark {

// Where the present scroll position of a web screen comes from: the browser layer.
class WebScrollSource {
public:
    virtual ~WebScrollSource() = default;
    // The scroll position of the document shown by browser `browserIndex`; nothing when
    // the browser has no scrollable document (the stored position is then kept).
    virtual std::optional<ScrollPosition> CurrentScroll(int browserIndex) = 0;
};

class SetupWriter {
public:
    explicit SetupWriter(WebScrollSource* scroll = nullptr) : scroll_(scroll) {}

    // Brings the model to what is saved, then writes the three files. The caller puts
    // the window's present position into settings.startup and the auto-paging tick and
    // page-time box into settings first. On failure the setup file is left as it was.
    Result<void> Write(const std::string& programFolder, SetupSettings& settings, PageSet& pages);

    // What saving changes in the model: page 1 comes back when every page is removed;
    // web screens take their browser's scroll position (HTML pages) or 0 (others).
    void PrepareForSave(PageSet& pages) const;

    // The file texts for the model as it is, CR LF line ends.
    static std::string ComposeSetup(const SetupSettings& settings, const PageSet& pages);
    // Empty when no graph is switched off.
    static std::string ComposeOnOff(const PageSet& pages);

private:
    WebScrollSource* scroll_;
};

}  // namespace tidemark
