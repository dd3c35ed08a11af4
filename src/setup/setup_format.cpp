#include "setup/setup_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/vbtext.h"

namespace tidemark {

std::string FileNumber(double x) {
    // Non-finite values cannot be read back; -0 would print as "-0".
    if (!std::isfinite(x) || x == 0) x = 0;
    std::string text = Str(x);
    // Fifteen digits of a value next to the largest double round up past it.
    if (!std::isfinite(std::strtod(text.c_str(), nullptr))) text = Str(std::copysign(1.79769313486231e308, x));
    return text + " ";
}

std::string FileSingle(float x) {
    if (!std::isfinite(x) || x == 0) return FileNumber(0);
    // The reader parses to double and narrows, so test the text the same way.
    char buf[48];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(x));
        if (static_cast<float>(std::strtod(buf, nullptr)) == x) break;
    }
    return FileNumber(std::strtod(buf, nullptr));
}

const char* FileBool(bool b) { return b ? "True" : "False"; }

std::string FieldText(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == ';')
            c = ',';
        else if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    }
    return out;
}

std::string LineText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return out;
}

bool IsHtmlAddress(std::string_view address) {
    std::string upper = UCase(address);
    return !Contains(upper, ".PDF") && !Contains(upper, ".XL");
}

}  // namespace tidemark
