#pragma once
// Text put into the HTML pages the program makes for its web screens (a workbook's
// table, a notice in place of a refused document): the characters HTML gives a meaning
// of its own are written as references, so a cell or a file name shows as it is.
#include <string>
#include <string_view>

namespace tidemark {

inline std::string HtmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace tidemark
