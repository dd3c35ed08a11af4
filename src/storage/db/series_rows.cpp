#include "storage/db/series_rows.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "core/daynum.h"

namespace tidemark {
namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

int Two(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

std::optional<double> StoredDateTimeReader::Read(std::string_view text) {
    if (text.size() != 19) return std::nullopt;
    const char* p = text.data();
    if (p[10] != ' ' && p[10] != 'T') return std::nullopt;
    if (p[13] != ':' || p[16] != ':' || !Digit(p[11]) || !Digit(p[12]) || !Digit(p[14]) || !Digit(p[15]) ||
        !Digit(p[17]) || !Digit(p[18]))
        return std::nullopt;
    int hour = Two(p + 11), minute = Two(p + 14), second = Two(p + 17);
    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    if (!haveDay_ || std::memcmp(day_, p, 10) != 0) {
        if (p[4] != '-' || p[7] != '-') return std::nullopt;
        for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
            if (!Digit(p[i])) return std::nullopt;
        int year = Two(p) * 100 + Two(p + 2), month = Two(p + 5), day = Two(p + 8);
        static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1] ||
            (month == 2 && day == 29 && !LeapYear(year)))
            return std::nullopt;
        serial_ = DateSerial(year, month, day);
        std::memcpy(day_, p, 10);
        haveDay_ = true;
    }
    // TimeSerial's own arithmetic, written out so the call stays out of the row loop.
    return serial_ + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

SeriesRows::SeriesRows(std::vector<SeriesRow> rows, Recordset rest) : rows_(std::move(rows)), rest_(std::move(rest)) {}

Result<std::string> SeriesRows::Text(int index) const {
    if (position_ < rows_.size()) {
        if (index == 0) {
            CivilTime t = ToCivil(rows_[position_].time);
            char text[32];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                          t.second);
            return std::string(text);
        }
        return Fault{"Field " + std::to_string(index + 1) + " of a series row is not kept"};
    }
    return rest_.Text(index);
}

SeriesRows SeriesRowsOf(Recordset rows) { return SeriesRows({}, std::move(rows)); }

}  // namespace tidemark
