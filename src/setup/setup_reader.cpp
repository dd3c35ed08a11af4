#include "setup/setup_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "core/color.h"
#include "core/text_limits.h"
#include "core/textfile.h"
#include "core/units.h"
#include "core/vbtext.h"
#include "setup/web_screen_slot.h"

namespace tidemark {
namespace {

constexpr int kTopSectionLines = 10;
constexpr size_t kFirstCountedLine = 11;  // page counting starts at line 12

// A fault inside the parse; turned into the loading message where the read ends.
struct ReadFault {
    std::string description;
};

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
}

// The fields of a page-section line; trailing ";" do not make empty fields.
std::vector<std::string> SplitFields(std::string_view line) {
    size_t end = line.find_last_not_of(';');
    return Split(line.substr(0, end == std::string_view::npos ? 0 : end + 1), ';');
}

// Text after the first "="; the whole line when there is none.
std::string_view AfterFirstEquals(std::string_view line) {
    size_t at = line.find('=');
    return at == std::string_view::npos ? line : line.substr(at + 1);
}

bool IsEndLine(std::string_view line) { return line.substr(0, 3) == "END"; }

std::string Quoted(std::string_view text) { return "\"" + Excerpt(text) + "\""; }

int16_t StrictInt16(std::string_view text, std::string_view name) {
    auto v = ParseDouble(text);
    if (!v) throw ReadFault{std::string(name) + ": " + Quoted(text) + " is not a number"};
    auto r = CInt(*v);
    if (!r) throw ReadFault{std::string(name) + ": " + Quoted(text) + " is out of range (-32768 to 32767)"};
    return *r;
}

int32_t StrictInt32(std::string_view text, std::string_view name) {
    auto v = ParseDouble(text);
    if (!v) throw ReadFault{std::string(name) + ": " + Quoted(text) + " is not a number"};
    auto r = CLng(*v);
    if (!r) throw ReadFault{std::string(name) + ": " + Quoted(text) + " is out of range"};
    return *r;
}

float StrictSingle(std::string_view text, std::string_view name) {
    auto v = ParseSingle(text);
    if (!v) throw ReadFault{std::string(name) + ": " + Quoted(text) + " is not a single-precision number"};
    return *v;
}

// Lenient fields give 0 for text that is not a number, but a number too large for the
// field is an error rather than a silently different value.
int16_t ToInt16(double value, std::string_view text, std::string_view name) {
    auto r = CInt(value);
    if (!r) throw ReadFault{std::string(name) + ": " + Quoted(text) + " is out of range (-32768 to 32767)"};
    return *r;
}

int16_t LenientInt16(std::string_view text, std::string_view name) { return ToInt16(ValUnbounded(text), text, name); }

float LenientSingle(std::string_view text, std::string_view name) {
    double v = ValUnbounded(text);
    if (std::fabs(v) > FLT_MAX) throw ReadFault{std::string(name) + ": " + Quoted(text) + " is out of range"};
    return static_cast<float>(v);
}

class Parser {
public:
    Parser(Host& host, const SetupReaderHooks& hooks, const std::string& folder, const SetupTargets& t)
        : host_(host), hooks_(hooks), folder_(folder), path_(folder + kSetupFileName), t_(t) {}

    SetupReadResult Run(const std::string& text);

private:
    Result<void> CompleteTopSection();
    SetupLoadFault Fail(const std::string& description);
    void ReadTopSection();
    void ReadPageSection(size_t first);
    void ReadPageLine(const std::vector<std::string>& f, const std::string& line);
    void ReadGraphLine(const std::vector<std::string>& f);
    void ReadWebScreenLine(const std::vector<std::string>& f);
    void ReadDsidField(const std::string& field, int slot);
    int GraphSlot(const std::string& field);
    GraphDef& ClearSlot(int slot);
    void NoteRepeatedSlot(int slot);
    void TellNotices();
    void LoadFrequencyTable();
    PageRec& CurrentPage() { return t_.pages.Page(page_); }

    Host& host_;
    const SetupReaderHooks& hooks_;
    std::string folder_;
    std::string path_;
    const SetupTargets& t_;
    std::vector<std::string> lines_;
    bool inTopSection_ = true;
    std::string topLine_;    // top-section line being read
    int topLineNumber_ = 0;  // its 1-based number; 0 past the end of the file
    int page_ = 0;           // page of the last page line read
    int lineNumber_ = 0;     // 1-based number of the last page-section line read
    bool frequencyTried_ = false;
    // Lines that load but are hardly what was meant: told together once the file is read.
    std::vector<std::string> notices_;
    std::vector<int> pageLineOf_;                      // per page number: its first page line
    std::array<int, kGraphsPerPage> slotLineOf_ = {};  // per slot of the current page block
};

int CountPages(const std::vector<std::string>& lines) {
    double last = 0;
    for (size_t i = kFirstCountedLine; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (IsEndLine(line) || Trim(line).empty()) break;
        auto f = SplitFields(line);
        if (f.size() >= 5 && f.size() <= 7) last = Val(f[0]);
    }
    // The page lines themselves are checked strictly later; here only the size matters.
    if (!(last > 0)) return 0;
    return static_cast<int>(std::min(RoundHalfEven(last), 32767.0));
}

// The hook belongs to another layer; whatever it throws is told as its fault, so that
// a database driver's exception reads like any failed connection.
Result<void> Parser::CompleteTopSection() {
    try {
        return hooks_.afterTopSection(t_.settings, t_.catalogue);
    } catch (const std::exception& e) {
        return Fault{e.what()};
    }
}

SetupReadResult Parser::Run(const std::string& text) {
    try {
        lines_ = SplitLines(text);
        SizePageSet(t_.pages, CountPages(lines_));
        t_.catalogue.Clear();
        t_.settings = SetupSettings{};
        ReadTopSection();
        inTopSection_ = false;
        if (hooks_.afterTopSection) {
            Result<void> completed = CompleteTopSection();
            if (!completed) {
                std::string message = completed.error() + "\r\n\r\n" + ConnectionHint(folder_);
                host_.Report({message, path_}, Severity::Fatal);
                return SetupLoadFault{{message, path_}, SetupFault::Catalogue};
            }
        }
        // Line 10 with "=" is the longer form, whose pages start one line later.
        bool longForm = lines_[9].find('=') != std::string::npos;
        ReadPageSection(longForm ? 12 : 11);
        TellNotices();
        return SetupRead{lineNumber_, lines_[0]};
    } catch (const ReadFault& fault) {
        return Fail(fault.description);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}

SetupLoadFault Parser::Fail(const std::string& description) {
    std::string message;
    if (inTopSection_) {
        // The line's text alone does not say which of ten similar lines it is.
        std::string numbered =
            topLineNumber_ > 0 ? "Line " + std::to_string(topLineNumber_) + ": " + description : description;
        message = TopSectionFaultMessage(numbered, path_, topLine_);
    } else {
        message = PageSectionFaultMessage(description, path_, page_, lineNumber_);
    }
    SetupLoadFault fault{{message, path_, inTopSection_ ? 0 : page_, inTopSection_ ? topLineNumber_ : lineNumber_},
                         SetupFault::Loading};
    host_.Report(fault, Severity::Fatal);
    return fault;
}

void Parser::ReadTopSection() {
    SetupSettings& s = t_.settings;
    auto line = [&](int number) -> const std::string& {
        if (lines_.size() < static_cast<size_t>(number)) {
            topLine_.clear();
            topLineNumber_ = 0;
            throw ReadFault{"The setup file ends at line " + std::to_string(lines_.size()) +
                            "; its top section needs " + std::to_string(kTopSectionLines) + " lines"};
        }
        topLine_ = lines_[static_cast<size_t>(number - 1)];
        topLineNumber_ = number;
        return topLine_;
    };
    auto saysTrue = [](std::string_view text) { return Contains(UCase(text), "TRUE"); };

    // 1: "Days = 7 ; End Day +0". The number after "END DAY" starts one character on.
    {
        const std::string& l = line(1);
        s.days = LenientInt16(AfterFirstEquals(l), "Days");
        size_t at = UCase(l).find("END DAY");
        size_t from = at == std::string::npos ? 7 : at + 8;
        std::string_view rest = from < l.size() ? std::string_view(l).substr(from) : std::string_view();
        // A negative count is written after the "+" ("End Day +-2"); that "+" is not a sign.
        if (StartsWith(rest, "+-")) rest.remove_prefix(1);
        s.endday = LenientInt16(rest, "End Day");
    }
    s.plotunitvalues = saysTrue(line(2));
    s.includedailymaxmin = saysTrue(line(3));
    s.bigcurrentvalue = saysTrue(line(4));
    {
        const std::string& l = line(5);
        s.autopaging = saysTrue(l);
        auto pieces = Split(UCase(l), ',');
        s.pageseconds = pieces.size() > 1 ? pieces[1] : std::string();
        // The page-time box holds a 16-bit number; a time beyond it would never page.
        LenientInt16(s.pageseconds, "Page time");
    }
    {
        auto pieces = Split(AfterFirstEquals(line(6)), ',');
        s.titlefontname = Trim(pieces[0]);
        s.axisfontname = pieces.size() > 1 ? Trim(pieces[1]) : std::string();
        if (pieces.size() > 3) {
            // Pen widths are kept in twips, 15 to the pixel.
            s.penwidth1 = ToInt16(PixelsToTwips(ValUnbounded(pieces[2])), pieces[2], "Pen width");
            s.penwidth2 = ToInt16(PixelsToTwips(ValUnbounded(pieces[3])), pieces[3], "Pen width");
        }
    }
    s.connectionstring = Trim(AfterFirstEquals(line(7)));
    line(8);  // reserved
    {
        const std::string& l = line(9);
        auto pieces = Split(AfterFirstEquals(l), ',');
        if (l.find('=') != std::string::npos && pieces.size() > 4) {
            s.startup.top = LenientSingle(pieces[0], "Window top");
            s.startup.left = LenientSingle(pieces[1], "Window left");
            s.startup.width = LenientSingle(pieces[2], "Window width");
            s.startup.height = LenientSingle(pieces[3], "Window height");
            s.startup.state = LenientInt16(pieces[4], "Window state");
            s.startup.present = true;
        }
    }
    {
        const std::string& l = line(10);
        size_t at = l.find('=');
        s.metricunits = at != std::string::npos && Contains(UCase(l.substr(at + 1)), "TRUE");
    }
}

void Parser::ReadPageSection(size_t first) {
    pageLineOf_.assign(t_.pages.pages.size(), 0);
    for (size_t i = first; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        lineNumber_ = static_cast<int>(i + 1);
        if (IsEndLine(line)) return;
        auto f = SplitFields(line);
        size_t n = f.size();
        if (n >= 5 && n <= 7)
            ReadPageLine(f, line);
        else if (n == 8 || n == 9)
            ReadWebScreenLine(f);
        else if (n >= 13)
            ReadGraphLine(f);
    }
    // Every file the program writes ends with END: without it the file was cut short,
    // and its last graph line may have lost the fields that made it one.
    lineNumber_ = static_cast<int>(lines_.size());
    throw ReadFault{"The setup file ends at line " + std::to_string(lines_.size()) +
                    " without its END line; it may have been cut short"};
}

void Parser::ReadPageLine(const std::vector<std::string>& f, const std::string& line) {
    int16_t number = StrictInt16(f[0], "Page number");
    if (!t_.pages.ValidPage(number))
        throw ReadFault{"Page number " + std::to_string(number) + " is beyond the pages the tables hold (0 to " +
                        std::to_string(t_.pages.tableroom) + ")"};
    page_ = number;
    int& first = pageLineOf_.at(static_cast<size_t>(number));
    if (number == 0)
        notices_.push_back("Line " + std::to_string(lineNumber_) + ": page 0 is never shown; pages count from 1");
    else if (first != 0)
        notices_.push_back("Line " + std::to_string(lineNumber_) + ": page " + std::to_string(number) +
                           " is defined again (first on line " + std::to_string(first) + ")");
    if (first == 0) first = lineNumber_;
    slotLineOf_.fill(0);
    PageRec& p = CurrentPage();
    p.title = Trim(f[1]);
    p.titlefontsize = StrictInt16(f[2], "Title font size");
    p.axisfontsize = StrictInt16(f[3], "Axis font size");
    p.yaxislabels = StrictInt16(f[4], "Y-axis labels");
    p.ftpoff = Contains(line, "FTP_OFF");
    p.unitsoff = Contains(line, "UNITS_OFF");
}

int Parser::GraphSlot(const std::string& field) {
    int16_t number = StrictInt16(field, "Graph number");
    if (number < 1 || number > kGraphsPerPage)
        throw ReadFault{"Graph number " + std::to_string(number) + " is out of range (1 to 12)"};
    return number - 1;
}

void Parser::NoteRepeatedSlot(int slot) {
    const std::string here = "Line " + std::to_string(lineNumber_) + ": ";
    int& first = slotLineOf_[static_cast<size_t>(slot)];
    if (first != 0)
        notices_.push_back(here + "graph " + std::to_string(slot + 1) + " of page " + std::to_string(page_) +
                           " is defined again (first on line " + std::to_string(first) + "); this line counts");
    else if (page_ == 0 && pageLineOf_.at(0) == 0)
        notices_.push_back(here + "a graph line before the first page line belongs to page 0, which is never shown");
    if (first == 0) first = lineNumber_;
}

void Parser::TellNotices() {
    if (notices_.empty()) return;
    // A file of hundreds of repeated lines still gets one short message.
    constexpr size_t kListed = 10;
    std::string text = "Reading setup file " + path_ + ": these lines load, but probably not as meant:";
    for (size_t i = 0; i < notices_.size() && i < kListed; ++i) text += "\r\n" + notices_[i];
    if (notices_.size() > kListed) text += "\r\n... and " + std::to_string(notices_.size() - kListed) + " more";
    host_.Report({text, path_}, Severity::Warning);
}

// A line read twice for the same slot replaces everything the first one set.
GraphDef& Parser::ClearSlot(int slot) {
    PageRec& p = CurrentPage();
    GraphDef& g = p.slots[static_cast<size_t>(slot)];
    g = GraphDef{};
    g.page = static_cast<int16_t>(page_);
    g.slot = static_cast<int16_t>(slot);
    p.slots[static_cast<size_t>(slot + kSecondSeriesOffset)] = GraphDef{};
    p.runsuffix[static_cast<size_t>(slot)].clear();
    p.runnumber[static_cast<size_t>(slot)] = 0;
    if (t_.pages.HasAlertTable()) t_.pages.alerts.at(static_cast<size_t>(page_))[static_cast<size_t>(slot)] = {};
    return g;
}

void Parser::ReadGraphLine(const std::vector<std::string>& f) {
    const size_t n = f.size();
    int slot = GraphSlot(f[0]);
    NoteRepeatedSlot(slot);
    PageRec& p = CurrentPage();
    GraphDef& g = ClearSlot(slot);
    ReadDsidField(f[1], slot);
    g.parametername = f[2];
    g.stationname = f[3];
    g.hrmarker = StrictInt16(f[4], "hrmarker");
    g.daymarker = StrictInt16(f[5], "daymarker");
    g.logyscale = StrictInt16(f[6], "logyscale");
    g.backcolor = StrictInt32(f[7], "backcolor");
    g.back2color = StrictInt32(f[8], "back2color");
    g.hrcolor = StrictInt32(f[9], "hrcolor");
    g.daycolor = StrictInt32(f[10], "daycolor");
    g.highwatch = Val(f[11]);
    g.lowwatch = Val(f[12]);
    if (n >= 14) g.watchcount = LenientInt16(f[13], "watchcount");
    if (n >= 15) g.rankcum = StrictInt16(f[14], "rankcum");
    if (n == 16 || n >= 19) g.freqtype = static_cast<FreqType>(StrictInt16(f[15], "freqtype"));
    if (n >= 19) {
        g.coeff1 = StrictSingle(f[16], "coeff1");
        g.coeff2 = StrictSingle(f[17], "coeff2");
        g.coeff3 = StrictSingle(f[18], "coeff3");
    }
    if (g.SwitchedOff() && !StartsWith(g.stationname, kSwitchedOffPrefix))
        g.stationname = std::string(kSwitchedOffPrefix) + g.stationname;
    // Saved pages carry all 12 graph lines, so an empty line must not make a 4-graph page
    // lay out as a 12-graph one: the page's size is its highest slot in use.
    if (g.Kind() != SlotKind::Empty && slot > p.lastslot) p.lastslot = static_cast<int16_t>(slot);
    if (n == 16 && UsesFrequencyTable(g.freqtype)) LoadFrequencyTable();
}

void Parser::ReadDsidField(const std::string& field, int slot) {
    PageRec& p = CurrentPage();
    GraphDef& g = p.slots[static_cast<size_t>(slot)];
    std::string& suffix = p.runsuffix[static_cast<size_t>(slot)];
    const std::string u = UCase(field);
    auto pieces = Split(u, ',');
    g.dsid = LenientInt16(pieces[0], "dsid");
    if (pieces.size() > 1) {
        g.hasdsid2 = kFileTrue;
        GraphDef& second = p.slots[static_cast<size_t>(slot + kSecondSeriesOffset)];
        second.page = static_cast<int16_t>(page_);
        second.slot = static_cast<int16_t>(slot + kSecondSeriesOffset);
        second.dsid = LenientInt16(pieces[1], "second dsid");
    }
    if (Contains(u, "RU")) suffix = ",RUN";
    if (Contains(u, "AL")) {
        suffix += ",ALERT";
        CreateAlertTable(t_.pages);
        t_.pages.alerts.at(static_cast<size_t>(page_))[static_cast<size_t>(slot)].dsid = LenientInt16(u, "alert dsid");
    }
    if (pieces.size() == 3 && ParseDouble(pieces[2])) {
        p.runnumber[static_cast<size_t>(slot)] = StrictInt16(pieces[2], "run number");
        suffix = ",RUN";
    }
}

void Parser::ReadWebScreenLine(const std::vector<std::string>& f) {
    int slot = GraphSlot(f[0]);
    NoteRepeatedSlot(slot);
    PageRec& p = CurrentPage();
    WebScreenSlot web(ClearSlot(slot));
    web.MakeWebScreen(f[3]);
    // The fields in the order of the line, so that a fault names the first bad one.
    WebScreenSwitches on;
    on.scrollBars = StrictInt16(f[4], "hrmarker");
    ScrollPosition at;
    at.left = StrictInt16(f[5], "daymarker");
    at.top = StrictInt16(f[6], "logyscale");
    on.allowNavigation = StrictInt32(f[7], "back2color");
    if (f.size() >= 9) on.fitImage = StrictInt32(f[8], "hrcolor");
    web.SetSwitches(on);
    web.SetSavedScroll(at);
    if (t_.pages.webscreencount == std::numeric_limits<int16_t>::max()) throw ReadFault{"Too many web screens"};
    web.SetBrowserIndex(t_.pages.webscreencount++);
    if (!t_.catalogue.AppendWebScreen(web.Address(), on.allowNavigation, on.fitImage))
        throw ReadFault{"The site catalogue is full"};
    if (slot > p.lastslot) p.lastslot = static_cast<int16_t>(slot);
}

void Parser::LoadFrequencyTable() {
    if (frequencyTried_ || t_.frequency.loaded) return;
    frequencyTried_ = true;
    FrequencyLoadResult r = ReadFrequencyTable(folder_ + kFrequencyFileName, t_.frequency);
    if (r) return;
    if (r.fault().kind == FrequencyFaultKind::NotFound) {
        host_.Report(r.fault(), Severity::Note);
        return;
    }
    throw ReadFault{r.error()};
}

std::string SetupTooLarge(uintmax_t size) {
    return "The setup file is " + std::to_string(size) + " bytes long; a setup file is at most " +
           std::to_string(kLargestSetupFile) + " bytes (" + std::to_string(kLargestSetupFile >> 20) + " MB)";
}

// Why the path is no setup file to read (a folder, a device, far too large), or "".
std::string NotASetupFile(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return "The setup file is a folder, not a file";
    if (!S_ISREG(info.st_mode)) return "The setup file is not a regular file";
    if (static_cast<uintmax_t>(info.st_size) > kLargestSetupFile)
        return SetupTooLarge(static_cast<uintmax_t>(info.st_size));
    return {};
}

}  // namespace

std::string TopSectionFaultMessage(const std::string& description, const std::string& setupPath,
                                   const std::string& lineText) {
    return description + "\r\nReading setup file " + setupPath + " top section: " + Excerpt(lineText);
}

std::string PageSectionFaultMessage(const std::string& description, const std::string& setupPath, int page,
                                    int lineNumber) {
    return description + "\r\nReading setup file " + setupPath + " on page #" + std::to_string(page) + ", line#" +
           std::to_string(lineNumber);
}

SetupReader::SetupReader(Host& host, SetupReaderHooks hooks) : host_(host), hooks_(std::move(hooks)) {}

SetupReadResult SetupReader::Fail(SetupFault kind, const std::string& message, const std::string& path) {
    host_.Report({message}, Severity::Fatal);
    return SetupLoadFault{{message, path}, kind};
}

std::string TextShapeFault(const std::string& bytes) {
    size_t nul = bytes.find('\0');
    if (nul != std::string::npos) {
        // Line ends of CR LF, LF or CR alone, as the reader takes them.
        size_t lineOfNul = 1;
        for (size_t i = 0; i < nul; ++i)
            if (bytes[i] == '\n' || (bytes[i] == '\r' && bytes[i + 1] != '\n')) ++lineOfNul;
        return "The setup file is not a text file: it holds a NUL byte on line " + std::to_string(lineOfNul) +
               " (byte " + std::to_string(nul + 1) + ")";
    }
    // A lone CR ends a line too: a file of CR line ends is read as the lines they make.
    if (size_t line = FirstLongLine(bytes, true); line != 0)
        return "Line " + std::to_string(line) + " of the setup file is longer than " +
               std::to_string(kLongestTextLine) + " characters; setup lines are short texts";
    size_t controls = 0;
    for (char ch : bytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 32 && c != '\t' && c != '\r' && c != '\n') ++controls;
    }
    if (controls > 0 && controls * 20 > bytes.size())
        return "The setup file is not a text file: " + std::to_string(controls) + " of its " +
               std::to_string(bytes.size()) + " bytes are control characters";
    if (bytes.find_first_not_of(" \t\r\n") == std::string::npos)
        return bytes.empty() ? "The setup file is empty" : "The setup file holds only blanks and empty lines";
    return {};
}

SetupReadResult SetupReader::Read(const std::string& programFolder, const SetupTargets& targets) {
    const std::string path = programFolder + kSetupFileName;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return Fail(SetupFault::NotFound, "Setup file not found!  " + path, path);
    // Checked before a byte is read: a huge file would otherwise be held whole in memory.
    if (std::string kind = NotASetupFile(info); !kind.empty())
        return Fail(SetupFault::Loading, TopSectionFaultMessage(kind, path, ""), path);
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes) return Fail(SetupFault::Loading, TopSectionFaultMessage(bytes.error(), path, ""), path);
    // It grew while it was read.
    if (bytes->size() > kLargestSetupFile)
        return Fail(SetupFault::Loading, TopSectionFaultMessage(SetupTooLarge(bytes->size()), path, ""), path);
    // Told before anything else reads it, and before the TAB rule writes it back.
    if (std::string shape = TextShapeFault(*bytes); !shape.empty())
        return Fail(SetupFault::Loading, TopSectionFaultMessage(shape, path, ""), path);
    if (bytes->find('\n') == std::string::npos && bytes->find('\r') != std::string::npos) {
        // Line ends of CR alone: read as the lines they are.
        std::replace(bytes->begin(), bytes->end(), '\r', '\n');
    }
    if (bytes->find('\t') != std::string::npos) {
        std::replace(bytes->begin(), bytes->end(), '\t', ';');
        host_.Report({"Tidemark_setup.txt will be re-saved with out Tabs", path}, Severity::Note);
        // Replaced in one step, so a failed write leaves the original file.
        if (Result<void> rewritten = WriteFileAtomic(path, *bytes); !rewritten)
            return Fail(SetupFault::Loading, TopSectionFaultMessage(rewritten.error(), path, ""), path);
    }
    return ReadText(*bytes, programFolder, targets);
}

SetupReadResult SetupReader::ReadText(const std::string& text, const std::string& programFolder,
                                      const SetupTargets& targets) {
    std::string converted = text;
    std::replace(converted.begin(), converted.end(), '\t', ';');
    Parser parser(host_, hooks_, programFolder, targets);
    return parser.Run(converted);
}

}  // namespace tidemark
