#include "setup/setup_writer.h"

#include <algorithm>
#include <vector>

#include "core/color.h"
#include "core/textfile.h"
#include "core/units.h"
#include "core/vbtext.h"
#include "setup/setup_format.h"

namespace tidemark {
namespace {

// Pen widths are kept in twips and written in pixels, whole part only.
std::string PenWidthPixels(int16_t twips) { return FileNumber(Int(static_cast<double>(twips) / kTwipsPerPixel)); }

bool Written(const PageSet& pages, int page) { return !pages.Page(page).removed; }

// "101", "101,205", "101,205,3", "101,RUN", "101,ALERT", each number in the file's
// number form. A run number needs the second identifier before it, even when that is
// 0, or reading would take the run number for the second identifier.
std::string DsidField(const PageRec& p, int slot) {
    const GraphDef& g = p.slots[static_cast<size_t>(slot)];
    int16_t second = p.slots[static_cast<size_t>(slot + kSecondSeriesOffset)].dsid;
    const std::string& suffix = p.runsuffix[static_cast<size_t>(slot)];
    int16_t run = p.runnumber[static_cast<size_t>(slot)];
    std::string field;
    if (g.Kind() != SlotKind::Empty) field += FileNumber(g.dsid);
    if (SlotKindOf(second) != SlotKind::Empty || (!suffix.empty() && run != 0)) field += "," + FileNumber(second);
    if (!suffix.empty()) field += run != 0 ? "," + FileNumber(run) : suffix;
    return field;
}

std::string GraphLine(const PageRec& p, int slot) {
    const GraphDef& g = p.slots[static_cast<size_t>(slot)];
    std::string l = FileNumber(slot + 1) + ";" + DsidField(p, slot) + ";" + FieldText(g.parametername) + ";" +
                    FieldText(g.stationname);
    for (double v :
         {double(g.hrmarker), double(g.daymarker), double(g.logyscale), double(g.backcolor), double(g.back2color),
          double(g.hrcolor), double(g.daycolor), g.highwatch, g.lowwatch, double(g.watchcount), double(g.rankcum)})
        l += ";" + FileNumber(v);
    if (g.freqtype != FreqType::Plain) l += ";" + FileNumber(FreqCode(g.freqtype));
    if (HasCoefficients(g.freqtype))
        l += ";" + FileSingle(g.coeff1) + ";" + FileSingle(g.coeff2) + ";" + FileSingle(g.coeff3);
    return l;
}

std::string WebScreenLine(const GraphDef& g, int slot) {
    const WebScreenView web(g);
    const WebScreenSwitches on = web.Switches();
    const ScrollPosition at = web.SavedScroll();
    return FileNumber(slot + 1) + ";" + FileNumber(kWebScreenDsid) + ";" + std::string(kWebScreenParameterName) + ";" +
           FieldText(web.Address()) + ";" + FileNumber(on.scrollBars) + ";" + FileNumber(at.left) + ";" +
           FileNumber(at.top) + ";" + FileNumber(on.allowNavigation) + ";" + FileNumber(on.fitImage);
}

std::string PageLine(const PageRec& p, int number) {
    return FileNumber(number) + ";" + Trim(FieldText(p.title)) + ";" + FileNumber(p.titlefontsize) + ";" +
           FileNumber(p.axisfontsize) + ";" + FileNumber(p.yaxislabels) + (p.ftpoff ? ";FTP_OFF;" : ";FTP_ON;") +
           (p.unitsoff ? "UNITS_OFF" : "UNITS_ON");
}

}  // namespace

void SetupWriter::PrepareForSave(PageSet& pages) const {
    bool anyKept = false;
    for (int p = 1; p <= pages.pagecount; ++p) anyKept = anyKept || Written(pages, p);
    if (!anyKept && pages.pagecount >= 1) pages.Page(1).removed = false;

    for (int p = 1; p <= pages.pagecount; ++p) {
        if (!Written(pages, p)) continue;
        for (int s = 0; s < kGraphsPerPage; ++s) {
            GraphDef& g = pages.Graph(p, s);
            if (g.Kind() != SlotKind::WebScreen) continue;
            WebScreenSlot web(g);
            if (!IsHtmlAddress(web.Address())) {
                web.SetSavedScroll({});
            } else if (scroll_) {
                if (auto pos = scroll_->CurrentScroll(web.BrowserIndex())) web.SetSavedScroll(*pos);
            }
        }
    }
}

std::string SetupWriter::ComposeSetup(const SetupSettings& s, const PageSet& pages) {
    std::vector<std::string> lines;
    int days = s.daysisspan ? s.days - s.endday : s.days;
    lines.push_back("Days =" + FileNumber(days) + "; End Day +" + std::to_string(s.endday));
    lines.push_back(std::string("Plot Unit Values = ") + FileBool(s.plotunitvalues));
    lines.push_back(std::string("Include Daily Max/Min = ") + FileBool(s.includedailymaxmin));
    lines.push_back(std::string("Big Current Value = ") + FileBool(s.bigcurrentvalue));
    // Texts the reader trims are written trimmed, after line breaks have become spaces.
    lines.push_back(std::string("Auto Paging = ") + FileBool(s.autopaging) + ", " + Trim(LineText(s.pageseconds)));
    lines.push_back("Font Names & Pen Widths = " + Trim(LineText(s.titlefontname)) + ", " +
                    Trim(LineText(s.axisfontname)) + ", " + PenWidthPixels(s.penwidth1) + ", " +
                    PenWidthPixels(s.penwidth2));
    lines.push_back("Database Connection String= " + Trim(LineText(s.connectionstring)));
    lines.push_back("");
    const StartupPosition& w = s.startup;
    lines.push_back("Start Up= " + FileSingle(w.top) + "," + FileSingle(w.left) + "," + FileSingle(w.width) + "," +
                    FileSingle(w.height) + "," + FileNumber(w.state));
    lines.push_back(std::string("Metric Units=") + FileBool(s.metricunits));
    lines.push_back("");
    lines.push_back(kSetupHeaderLine);

    int number = 0;
    const PageRec empty;
    for (int p = 1; p <= pages.pagecount; ++p) {
        if (!Written(pages, p)) continue;
        const PageRec& rec = pages.Page(p);
        lines.push_back(PageLine(rec, ++number));
        for (int s = 0; s < kGraphsPerPage; ++s) {
            const GraphDef& g = rec.slots[static_cast<size_t>(s)];
            if (g.Kind() == SlotKind::WebScreen)
                lines.push_back(WebScreenLine(g, s));
            else if (g.Kind() == SlotKind::Empty)
                lines.push_back(GraphLine(empty, s));
            else
                lines.push_back(GraphLine(rec, s));
        }
    }
    lines.push_back("END");
    return JoinLinesCrLf(lines);
}

std::string SetupWriter::ComposeOnOff(const PageSet& pages) {
    std::vector<std::string> lines;
    for (int p = 1; p <= pages.pagecount; ++p) {
        if (!Written(pages, p)) continue;
        for (int s = 0; s < kGraphsPerPage; ++s) {
            const GraphDef& g = pages.Graph(p, s);
            if (g.Kind() != SlotKind::Graph || !g.SwitchedOff()) continue;
            lines.push_back(std::to_string(g.dsid) + ",\"" + LineText(g.parametername) + "\",\"" +
                            LineText(g.stationname) + "\"");
        }
    }
    return lines.empty() ? std::string() : JoinLinesCrLf(lines);
}

namespace {

// The old setup file as the backup, whole or not at all.
Result<void> CopyFile(const std::string& from, const std::string& to) {
    Result<std::string> old = ReadFileBytes(from);
    if (!old) return old.fault();
    return WriteFileAtomic(to, *old);
}

}  // namespace

Result<void> SetupWriter::Write(const std::string& programFolder, SetupSettings& settings, PageSet& pages) {
    PrepareForSave(pages);
    const std::string text = ComposeSetup(settings, pages);
    const std::string onoff = ComposeOnOff(pages);
    const std::string path = programFolder + kSetupFileName;
    const std::string backup = programFolder + kSetupBackupFileName;
    const std::string onoffPath = programFolder + kOnOffFileName;

    // A save killed half-way leaves only its temporary file behind; clear those first.
    for (const std::string* file : {&path, &backup, &onoffPath}) RemoveLeftoverTemps(*file);
    // The new file is complete on disk before anything is moved, and the old one is
    // copied to the backup rather than moved, so a setup file exists at every moment.
    Result<std::string> temp = WriteTempBeside(path, text);
    if (!temp) return Fault{temp.error(), path};
    if (FileExists(path)) {
        Result<void> backedUp = CopyFile(path, backup);
        if (!backedUp) {
            RemoveFile(*temp);
            return Fault{backedUp.error(), path};
        }
    }
    if (Result<void> renamed = RenameFile(*temp, path); !renamed) {
        RemoveFile(*temp);
        return Fault{renamed.error(), path};
    }

    if (onoff.empty()) {
        if (FileExists(onoffPath) && !RemoveFile(onoffPath)) return Fault{"cannot delete " + onoffPath, onoffPath};
    } else if (Result<void> written = WriteFileAtomic(onoffPath, onoff); !written) {
        return Fault{written.error(), path};
    }
    return {};
}

}  // namespace tidemark
