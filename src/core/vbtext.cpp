#include "core/vbtext.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/daynum.h"

namespace tidemark {
namespace {

std::string G15(double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", x);
    std::string s(buf);
    for (char& c : s)
        if (c == 'e') c = 'E';
    return s;
}

// A finite number as 15 significant decimal digits: value = 0.d1d2...d15 x 10^exp.
struct Decimal {
    bool negative = false;
    std::string digits;  // most significant first, no sign
    int exp = 0;         // position of the decimal point counted from the first digit
};

Decimal ToDecimal(double x) {
    Decimal d;
    d.negative = std::signbit(x) && x != 0;
    if (x == 0 || !std::isfinite(x)) {
        d.digits = "0";
        d.exp = 1;
        return d;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(x));
    // buf = "d.dddddddddddddde+XX"
    std::string s(buf);
    size_t e = s.find('e');
    d.digits = s.substr(0, 1) + s.substr(2, e - 2);
    d.exp = std::atoi(s.c_str() + e + 1) + 1;
    return d;
}

enum class Tie { AwayFromZero, ToEven };

// Rounds to `decimals` places after the point; digits may grow by one ("999" -> "1000").
// Returns integer-part and fraction digit strings.
void RoundDecimal(const Decimal& in, int decimals, Tie tie, std::string& intPart, std::string& fracPart) {
    // Lay the digits out on a fixed grid: position p (0-based from the first digit).
    std::string digits = in.digits;
    int exp = in.exp;
    int keep = exp + decimals;  // number of leading digits kept
    if (keep < 0) {
        intPart = "0";
        fracPart.assign(static_cast<size_t>(decimals), '0');
        return;
    }
    // Pad so there are at least `keep` digits.
    if (static_cast<int>(digits.size()) < keep) digits.append(static_cast<size_t>(keep) - digits.size(), '0');
    bool roundUp = false;
    if (keep < static_cast<int>(digits.size())) {
        char first = digits[static_cast<size_t>(keep)];
        bool restNonZero = digits.find_first_not_of('0', static_cast<size_t>(keep) + 1) != std::string::npos;
        if (first > '5' || (first == '5' && restNonZero)) {
            roundUp = true;
        } else if (first == '5') {
            if (tie == Tie::AwayFromZero) {
                roundUp = true;
            } else {
                int last = keep > 0 ? digits[static_cast<size_t>(keep) - 1] - '0' : 0;
                roundUp = (last % 2) == 1;
            }
        }
        digits.resize(static_cast<size_t>(keep));
    }
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && digits[static_cast<size_t>(i)] == '9') {
            digits[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[static_cast<size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            ++exp;
            ++keep;
        }
    }
    // Integer part: the first `exp` digits (zero-padded), fraction: the rest.
    if (exp <= 0) {
        intPart = "0";
        std::string frac(static_cast<size_t>(-exp), '0');
        frac += digits;
        frac.resize(static_cast<size_t>(decimals), '0');
        fracPart = frac;
    } else {
        intPart = digits.substr(0, static_cast<size_t>(std::min<int>(exp, keep)));
        if (static_cast<int>(intPart.size()) < exp) intPart.append(static_cast<size_t>(exp) - intPart.size(), '0');
        fracPart = keep > exp ? digits.substr(static_cast<size_t>(exp)) : std::string();
        fracPart.resize(static_cast<size_t>(decimals), '0');
    }
    size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Characters of a plain decimal number (no hex, no inf/nan).
bool PlainNumberText(std::string_view s) {
    if (s.empty()) return false;
    bool digit = false;
    for (char c : s) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E')
            return false;
    }
    return digit;
}

}  // namespace

std::string Str(double x) {
    std::string s = G15(x);
    bool negative = !s.empty() && s[0] == '-';
    std::string body = negative ? s.substr(1) : s;
    if (body.size() > 1 && body[0] == '0' && body[1] == '.') body.erase(0, 1);
    return (negative ? "-" : " ") + body;
}

std::string CStr(double x) {
    if (x == 0) return "0";
    return G15(x);
}

double Val(std::string_view text) {
    double v = ValUnbounded(text);
    return std::isfinite(v) ? v : 0;
}

double ValUnbounded(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::string num;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) num += text[i++];
    bool digits = false, point = false;
    while (i < text.size()) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            num += c;
        } else if (c == '.' && !point) {
            point = true;
            num += c;
        } else {
            break;
        }
        ++i;
    }
    if (!digits) return 0;
    // An exponent counts only when digits follow it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        std::string ex = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ex += text[j++];
        size_t start = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') ex += text[j++];
        if (j > start) num += ex;
    }
    return std::strtod(num.c_str(), nullptr);
}

std::optional<double> ParseDouble(std::string_view text) {
    std::string t = TrimBlanks(text);
    if (!PlainNumberText(t)) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<int16_t> ParseInt16(std::string_view text) {
    auto v = ParseDouble(text);
    if (!v) return std::nullopt;
    return CInt(*v);
}

std::optional<int32_t> ParseInt32(std::string_view text) {
    auto v = ParseDouble(text);
    if (!v) return std::nullopt;
    return CLng(*v);
}

std::optional<float> ParseSingle(std::string_view text) {
    auto v = ParseDouble(text);
    if (!v || std::fabs(*v) > FLT_MAX) return std::nullopt;
    return static_cast<float>(*v);
}

double RoundHalfEven(double x) { return std::nearbyint(x); }

std::optional<int16_t> CInt(double x) {
    if (!std::isfinite(x)) return std::nullopt;
    double r = RoundHalfEven(x);
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<int16_t>(r);
}

std::optional<int32_t> CLng(double x) {
    if (!std::isfinite(x)) return std::nullopt;
    double r = RoundHalfEven(x);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<int32_t>(r);
}

double Round(double x, int decimals) {
    if (!std::isfinite(x)) return x;
    if (decimals <= 0) return RoundHalfEven(x);
    // Decide ties on the decimal digits the value prints as, so 2.675 is a tie.
    Decimal d = ToDecimal(x);
    std::string ip, fp;
    RoundDecimal(d, decimals, Tie::ToEven, ip, fp);
    double v = std::strtod((ip + "." + fp).c_str(), nullptr);
    return d.negative ? -v : v;
}

double Int(double x) { return std::floor(x); }

std::string Format(double x, std::string_view mask) {
    bool percent = mask.find('%') != std::string_view::npos;
    size_t point = mask.find('.');
    std::string_view intMask = mask.substr(0, point);
    std::string_view fracMask = point == std::string_view::npos ? std::string_view() : mask.substr(point + 1);
    int intZeros = 0;
    for (char c : intMask)
        if (c == '0') ++intZeros;
    int decimals = 0, minDecimals = 0;
    for (char c : fracMask) {
        if (c == '0') {
            ++decimals;
            minDecimals = decimals;
        } else if (c == '#') {
            ++decimals;
        }
    }
    Decimal d = ToDecimal(x);
    if (percent && d.digits != "0") d.exp += 2;
    std::string ip, fp;
    RoundDecimal(d, decimals, Tie::AwayFromZero, ip, fp);
    while (static_cast<int>(fp.size()) > minDecimals && fp.back() == '0') fp.pop_back();
    if (ip == "0" && intZeros == 0) ip.clear();
    while (static_cast<int>(ip.size()) < intZeros) ip.insert(ip.begin(), '0');
    bool zero = ip.find_first_not_of('0') == std::string::npos && fp.find_first_not_of('0') == std::string::npos;
    std::string out;
    if (d.negative && !zero) out += '-';
    out += ip;
    if (point != std::string_view::npos) out += '.' + fp;
    if (percent) out += '%';
    return out;
}

double FormatRound(double x, std::string_view mask) { return Val(Format(x, mask)); }

std::string FormatDate(double day, std::string_view mask) {
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    CivilTime c = ToCivil(day);
    std::string lower = LCase(mask);
    bool twelveHour = lower.find("ampm") != std::string::npos || lower.find("am/pm") != std::string::npos;
    auto two = [](int v) {
        char b[8];
        std::snprintf(b, sizeof b, "%02d", v);
        return std::string(b);
    };
    int hour = c.hour;
    if (twelveHour) {
        hour = c.hour % 12;
        if (hour == 0) hour = 12;
    }
    std::string out;
    bool lastWasHour = false;
    size_t i = 0;
    auto at = [&](std::string_view tok) { return lower.compare(i, tok.size(), tok) == 0; };
    while (i < lower.size()) {
        if (at("yyyy")) {
            out += std::to_string(c.year);
            i += 4;
            lastWasHour = false;
        } else if (at("yy")) {
            out += two(c.year % 100);
            i += 2;
            lastWasHour = false;
        } else if (at("mmm")) {
            size_t n = 3;
            while (i + n < lower.size() && lower[i + n] == 'm') ++n;
            out += kMonths[c.month - 1];
            i += n;
            lastWasHour = false;
        } else if (at("mm") || at("m")) {
            size_t n = at("mm") ? 2 : 1;
            if (lastWasHour)
                out += n == 2 ? two(c.minute) : std::to_string(c.minute);
            else
                out += n == 2 ? two(c.month) : std::to_string(c.month);
            i += n;
            lastWasHour = false;
        } else if (at("nn")) {
            out += two(c.minute);
            i += 2;
            lastWasHour = false;
        } else if (at("dd")) {
            out += two(c.day);
            i += 2;
            lastWasHour = false;
        } else if (at("d")) {
            out += std::to_string(c.day);
            i += 1;
            lastWasHour = false;
        } else if (at("hh")) {
            out += two(hour);
            i += 2;
            lastWasHour = true;
        } else if (at("h")) {
            out += std::to_string(hour);
            i += 1;
            lastWasHour = true;
        } else if (at("ss")) {
            out += two(c.second);
            i += 2;
            lastWasHour = false;
        } else if (at("am/pm")) {
            out += c.hour < 12 ? "AM" : "PM";
            i += 5;
        } else if (at("ampm")) {
            out += c.hour < 12 ? "AM" : "PM";
            i += 4;
        } else {
            // Separators keep "mm" after "hh:" meaning minutes.
            out += mask[i];
            if (mask[i] != ':' && mask[i] != ' ') lastWasHour = false;
            ++i;
        }
    }
    return out;
}

std::string UCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string LCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

std::string Trim(std::string_view s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
}

std::string TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t f = s.find(from, pos);
        if (f == std::string_view::npos) break;
        out.append(s.substr(pos, f - pos));
        out.append(to);
        pos = f + from.size();
    }
    out.append(s.substr(pos));
    return out;
}

}  // namespace tidemark
