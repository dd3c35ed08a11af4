#include "data/alert_report.h"

#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "core/daynum.h"
#include "core/text_limits.h"
#include "core/textfile.h"
#include "core/vbtext.h"

namespace tidemark {
namespace {

// Far beyond any reading a gauge gives, well inside what the value axis can divide.
constexpr double kLargestAlertValue = 1e12;

constexpr const char* kAlertFileName = "Streamkeep_Alert.txt";

bool IsIssueLine(const std::string& line) { return StartsWith(line, "Iss"); }

// Every graph watching `dsid` takes the value: a mark when the value changed, or when
// the same value was issued again more than a day after the last mark.
void MarkGraphs(ProgramState& state, int dsid, double issued, double value) {
    PageSet& pages = state.pages;
    for (int p = 1; p <= pages.pagecount && p < static_cast<int>(pages.alerts.size()); ++p) {
        for (int s = 0; s < kGraphsPerPage; ++s) {
            AlertSlot& a = pages.alerts[static_cast<size_t>(p)][static_cast<size_t>(s)];
            if (a.dsid == kEmptySlotDsid || a.dsid != dsid) continue;
            double lastValue = 0, sinceLast = 0;
            if (a.markcount > 0) {
                const AlertMark& last = a.marks[static_cast<size_t>(a.markcount) - 1];
                lastValue = last.value;
                sinceLast = issued - last.issued;
            }
            if (value == lastValue && !(sinceLast > 0.9999)) continue;
            if (static_cast<size_t>(a.markcount) >= a.marks.size())
                a.marks.resize(static_cast<size_t>(a.markcount) + 1);
            a.marks[static_cast<size_t>(a.markcount)] = AlertMark{issued, value};
            ++a.markcount;
            pages.alertspresent = true;
        }
    }
}

class ReportReader {
public:
    ReportReader(ProgramState& state, std::vector<std::string> lines) : state_(state), lines_(std::move(lines)) {}

    const std::vector<std::string>& Problems() const { return problems_; }

    void Run() {
        while (pos_ < lines_.size()) {
            if (IsIssueLine(lines_[pos_])) {
                ReadBlock();
            } else {
                ++pos_;
            }
        }
    }

private:
    // At an "Iss" line: reads the block up to the next "Iss" line or the end.
    void ReadBlock() {
        const std::string& line = lines_[pos_++];
        size_t colon = line.find(':');
        std::optional<double> issued;
        if (colon != std::string::npos) issued = ParseDateTimeText(line.substr(colon + 1));
        // An issue time outside the window (or one that cannot be read) skips the block.
        if (!issued || *issued <= state_.window.start || *issued > state_.window.end) return;
        ++pos_;  // the line after the issue line
        while (pos_ < lines_.size() && !IsIssueLine(lines_[pos_])) {
            const std::string key = lines_[pos_++].substr(0, 6);
            const size_t lineNumber = pos_;  // counted from 1
            std::optional<int> dsid = SeriesKey(key);
            if (!dsid) {
                // A key no series can have (e.g. "1e99 W"): its values belong to no graph.
                ReadValues();
                problems_.push_back("Alert report line " + std::to_string(lineNumber) + ": the series number \"" + key +
                                    "\" is out of range; its values are ignored.");
                continue;
            }
            if (*dsid == kEmptySlotDsid) continue;
            std::optional<double> value = ReadValues();
            if (value && !(std::fabs(*value) <= kLargestAlertValue)) {
                // A mark that far off would take the graph's value axis beyond what it
                // can divide, and the graph would show nothing.
                problems_.push_back("Alert report line " + std::to_string(lineNumber) + ": the value " + CStr(*value) +
                                    " of series " + std::to_string(*dsid) + " is out of range; it is ignored.");
                continue;
            }
            if (value) MarkGraphs(state_, *dsid, *issued, *value);
        }
    }

    // After a series line: one line skipped, then value lines up to an empty line, a
    // "*" line or an "Iss" line. The last value read counts.
    std::optional<double> ReadValues() {
        if (pos_ < lines_.size() && !IsIssueLine(lines_[pos_])) ++pos_;
        // A series named without any value line counts as a value of 0, which a graph
        // without marks ignores.
        double value = 0;
        while (pos_ < lines_.size()) {
            const std::string& line = lines_[pos_];
            if (IsIssueLine(line)) break;
            ++pos_;
            if (line.empty() || StartsWith(line, "*")) break;
            value = Val(ReplaceAll(line, "%", " "));
        }
        return value;
    }

    static std::optional<int> SeriesKey(const std::string& text) {
        double key = std::trunc(Val(text));
        if (!std::isfinite(key) || std::fabs(key) > std::numeric_limits<int>::max()) return std::nullopt;
        return static_cast<int>(key);
    }

    ProgramState& state_;
    std::vector<std::string> lines_;
    size_t pos_ = 0;
    std::vector<std::string> problems_;
};

}  // namespace

std::string AlertReportPath(const std::string& programFolder) {
    std::string folder = programFolder;
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    size_t slash = folder.find_last_of('/');
    std::string parent = slash == std::string::npos ? std::string("../") : folder.substr(0, slash + 1);
    return parent + "Streamkeep/" + kAlertFileName;
}

void ReadAlertFile(ProgramState& state, Host& host) {
    std::string path = AlertReportPath(state.programFolder);
    if (!FileExists(path)) {
        host.Report(
            {"Not found: " + path + "\r\n\r\nView Alerts on maximized Streamkeep window and save empty file.", path},
            Severity::Note);
        return;
    }
    if (!state.pages.HasAlertTable()) return;
    LineRead read = ReadLinesLimited(path);
    if (read.status == LineReadStatus::CannotRead) return;  // no marks, as any other fault while reading
    // A fault ends the reading but keeps the marks of the lines before it.
    ReportReader reader(state, std::move(read.lines));
    reader.Run();
    std::vector<std::string> told = reader.Problems();
    if (read.status == LineReadStatus::LineTooLong)
        told.push_back(read.fault + "; the report is read up to the line before it.");
    std::string problems;
    for (const std::string& problem : told) problems += (problems.empty() ? "" : "\r\n") + problem;
    if (!problems.empty()) host.Report({problems, path}, Severity::Note);
}

void ClearAlertMarks(PageSet& pages, int page) {
    if (page < 0 || page >= static_cast<int>(pages.alerts.size())) return;
    for (int s = 0; s < kGraphsPerPage; ++s)
        pages.alerts[static_cast<size_t>(page)][static_cast<size_t>(s)].markcount = 0;
    // alertspresent stays as the last read left it; the next read sets it again.
}

}  // namespace tidemark
