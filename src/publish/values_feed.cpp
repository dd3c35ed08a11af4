#include "publish/values_feed.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "core/daynum.h"
#include "core/local_time_fields.h"
#include "storage/qt_bridge/qt_text.h"

namespace tidemark {
namespace {

// A text cell a spreadsheet would run as a formula (a station named "=HYPERLINK(...)",
// "+1 ft", "@SUM") starts with an apostrophe, which spreadsheets take as "this is text".
std::string NotAFormula(const std::string& text) {
    if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos) return text;
    return "'" + text;
}

std::string CsvField(const std::string& cell) {
    std::string text = NotAFormula(cell);
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// The shortest text that reads back as the same double: what the JSON writer gives too.
std::string NumberText(double v) {
    char buffer[40];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

QJsonValue TextOrNull(const std::string& text) {
    return text.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(text));
}

std::string FloodText(const GraphReading& r) { return r.flood ? FloodCategoryName(*r.flood) : std::string(); }

}  // namespace

std::string IsoLocalTime(double day) {
    if (day == 0) return {};
    const CivilTime c = ToCivil(day);
    std::tm local = LocalTmOf(c);
    std::time_t t = std::mktime(&local);
    long offset = 0;
    std::tm check{};
    if (t != static_cast<std::time_t>(-1) && localtime_r(&t, &check)) offset = check.tm_gmtoff;
    char sign = offset < 0 ? '-' : '+';
    long minutes = std::labs(offset) / 60;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", c.year, c.month, c.day, c.hour,
                  c.minute, c.second, sign, minutes / 60, minutes % 60);
    return buffer;
}

std::string WatchCode(WatchCrossing crossing) {
    switch (crossing) {
        case WatchCrossing::None: return "none";
        case WatchCrossing::AboveHigh: return "high";
        case WatchCrossing::BelowLow: return "low";
        case WatchCrossing::Both: return "both";
    }
    return "none";
}

std::string ValuesCsv(const std::vector<PublishedPage>& pages) {
    std::string out = std::string(kValuesCsvHeader) + "\r\n";
    for (const PublishedPage& page : pages)
        for (const GraphReading& r : page.graphs) {
            out += std::to_string(r.page) + "," + std::to_string(r.slot + 1) + "," + std::to_string(r.dsid) + ",";
            out += CsvField(Utf8Text(r.station)) + "," + CsvField(Utf8Text(r.parameter)) + ",";
            out += (r.HasValue() ? NumberText(r.FeedValue()) : std::string()) + ",";
            out += CsvField(Utf8Text(r.unit)) + "," + IsoLocalTime(r.time) + "," + WatchCode(r.watch) + ",";
            out += FloodText(r) + "\r\n";
        }
    return out;
}

std::string ValuesJson(const std::vector<PublishedPage>& pages, double generated) {
    QJsonArray values;
    for (const PublishedPage& page : pages)
        for (const GraphReading& r : page.graphs)
            values.append(QJsonObject{
                {"page", r.page},
                {"slot", r.slot + 1},
                {"dsid", r.dsid},
                {"station", ProgramText(r.station)},
                {"parameter", ProgramText(r.parameter)},
                {"value", r.HasValue() && std::isfinite(r.FeedValue()) ? QJsonValue(r.FeedValue()) : QJsonValue()},
                {"unit", ProgramText(r.unit)},
                {"time", TextOrNull(IsoLocalTime(r.time))},
                {"warning", QString::fromStdString(WatchCode(r.watch))},
                {"flood", TextOrNull(FloodText(r))}});
    QJsonObject root{{"generated", TextOrNull(IsoLocalTime(generated))}, {"values", values}};
    QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace tidemark
