#include "storage/db/xml_scanner.h"

#include <charconv>
#include <cstring>

namespace tidemark {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsNameEnd(char c) { return IsSpace(c) || c == '>' || c == '/'; }

std::string_view LocalName(std::string_view qualified) {
    size_t colon = qualified.find(':');
    return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The expansion of one reference (the text between '&' and ';'), if it is one.
bool ExpandReference(std::string_view name, std::string& out) {
    static constexpr std::pair<std::string_view, char> kPredefined[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, c] : kPredefined)
        if (name == entity) {
            out += c;
            return true;
        }
    if (name.size() < 2 || name[0] != '#') return false;
    bool hex = name[1] == 'x';
    std::string_view digits = name.substr(hex ? 2 : 1);
    unsigned long code = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (error != std::errc() || end != digits.data() + digits.size() || code == 0 || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF))
        return false;
    AppendUtf8(out, code);
    return true;
}

}  // namespace

std::string ExpandXmlEntities(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    size_t i = 0;
    while (i < raw.size()) {
        size_t amp = raw.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(raw.substr(i));
            break;
        }
        out.append(raw.substr(i, amp - i));
        size_t semicolon = raw.find(';', amp);
        if (semicolon != std::string_view::npos && semicolon - amp <= 10 &&
            ExpandReference(raw.substr(amp + 1, semicolon - amp - 1), out)) {
            i = semicolon + 1;
        } else {
            out += '&';
            i = amp + 1;
        }
    }
    return out;
}

XmlScanner::Token XmlScanner::Fail(std::string what) {
    error_ = what + " at byte " + std::to_string(at_);
    return last_ = Token::Error;
}

XmlScanner::Token XmlScanner::Next() {
    while (true) {
        if (last_ == Token::EndOfDocument || last_ == Token::Error) return last_;
        if (pendingEnd_) {
            pendingEnd_ = false;
            open_.pop_back();
            return last_ = Token::EndElement;
        }
        if (at_ >= xml_.size()) {
            if (!open_.empty()) return Fail("The part ends inside the element <" + std::string(open_.back()) + ">");
            if (!seenRoot_) return Fail("The part holds no element");
            return last_ = Token::EndOfDocument;
        }
        if (xml_[at_] != '<') {
            size_t next = xml_.find('<', at_);
            if (next == std::string_view::npos) next = xml_.size();
            text_ = xml_.substr(at_, next - at_);
            textIsCdata_ = false;
            at_ = next;
            return last_ = Token::Text;
        }
        // Comments, processing instructions and the document type give nothing to
        // hand out: scan on.
        if (std::optional<Token> token = ScanMarkup()) return *token;
    }
}

bool XmlScanner::SkipPast(std::string_view terminator) {
    size_t end = xml_.find(terminator, at_);
    if (end == std::string_view::npos) return false;
    at_ = end + terminator.size();
    return true;
}

std::optional<XmlScanner::Token> XmlScanner::ScanMarkup() {
    std::string_view rest = xml_.substr(at_);
    if (rest.starts_with("<!--")) {
        if (!SkipPast("-->")) return Fail("A comment is not closed");
        return std::nullopt;
    }
    if (rest.starts_with("<![CDATA[")) {
        size_t start = at_ + 9;
        at_ = start;
        if (!SkipPast("]]>")) return Fail("A CDATA section is not closed");
        text_ = xml_.substr(start, at_ - 3 - start);
        textIsCdata_ = true;
        return last_ = Token::Text;
    }
    if (rest.starts_with("<?")) {
        if (!SkipPast("?>")) return Fail("A processing instruction is not closed");
        return std::nullopt;
    }
    if (rest.starts_with("<!")) {
        // A document type; an internal subset in brackets may hold '>'.
        size_t bracket = rest.find('[');
        size_t close = rest.find('>');
        if (bracket != std::string_view::npos && bracket < close) {
            at_ += bracket;
            if (!SkipPast("]")) return Fail("A document type is not closed");
        }
        if (!SkipPast(">")) return Fail("A document type is not closed");
        return std::nullopt;
    }
    if (rest.starts_with("</")) return ScanEndTag();
    return ScanStartTag(at_ + 1);
}

XmlScanner::Token XmlScanner::ScanStartTag(size_t nameStart) {
    size_t i = nameStart;
    while (i < xml_.size() && !IsNameEnd(xml_[i])) ++i;
    if (i == nameStart) return Fail("A tag has no name");
    std::string_view qualified = xml_.substr(nameStart, i - nameStart);
    size_t attributesStart = i;
    // The tag ends at the first '>' outside a quoted attribute value.
    char quote = 0;
    for (; i < xml_.size(); ++i) {
        char c = xml_[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '<') {
            return Fail("A tag is not closed");
        } else if (c == '>') {
            break;
        }
    }
    if (i >= xml_.size()) return Fail("A tag is not closed");
    bool selfClosing = i > attributesStart && xml_[i - 1] == '/';
    attributes_ = xml_.substr(attributesStart, i - attributesStart - (selfClosing ? 1 : 0));
    if (open_.empty() && seenRoot_) return Fail("A second root element <" + std::string(qualified) + ">");
    seenRoot_ = true;
    name_ = LocalName(qualified);
    open_.push_back(qualified);
    pendingEnd_ = selfClosing;
    at_ = i + 1;
    return last_ = Token::StartElement;
}

XmlScanner::Token XmlScanner::ScanEndTag() {
    size_t nameStart = at_ + 2;
    size_t close = xml_.find('>', nameStart);
    if (close == std::string_view::npos) return Fail("An end tag is not closed");
    std::string_view qualified = xml_.substr(nameStart, close - nameStart);
    while (!qualified.empty() && IsSpace(qualified.back())) qualified.remove_suffix(1);
    if (open_.empty() || open_.back() != qualified)
        return Fail("The end tag </" + std::string(qualified) + "> closes no open element of that name");
    open_.pop_back();
    name_ = LocalName(qualified);
    at_ = close + 1;
    return last_ = Token::EndElement;
}

std::optional<std::string_view> XmlScanner::Attribute(std::string_view localName) const {
    std::string_view rest = attributes_;
    while (true) {
        size_t i = 0;
        while (i < rest.size() && IsSpace(rest[i])) ++i;
        size_t equals = rest.find('=', i);
        if (equals == std::string_view::npos) return std::nullopt;
        std::string_view name = rest.substr(i, equals - i);
        while (!name.empty() && IsSpace(name.back())) name.remove_suffix(1);
        size_t open = equals + 1;
        while (open < rest.size() && IsSpace(rest[open])) ++open;
        if (open >= rest.size() || (rest[open] != '"' && rest[open] != '\'')) return std::nullopt;
        size_t close = rest.find(rest[open], open + 1);
        if (close == std::string_view::npos) return std::nullopt;
        if (LocalName(name) == localName) return rest.substr(open + 1, close - open - 1);
        rest = rest.substr(close + 1);
    }
}

std::string XmlScanner::Text() const { return textIsCdata_ ? std::string(text_) : ExpandXmlEntities(text_); }

}  // namespace tidemark
