#pragma once
// A pull scanner over the UTF-8 bytes of one XML part, for the sheets of .xlsx files:
// a sheet of 100,000 rows holds a few million elements, and a general parser spends
// most of the copy turning them into UTF-16 and back. This one hands out views into
// the buffer and checks what a truncated or damaged part would break: tags closed,
// elements nested, quotes matched. It expands no entity definitions (a document type
// is skipped), only the five predefined entities and character references.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidemark {

class XmlScanner {
public:
    enum class Token { StartElement, EndElement, Text, EndOfDocument, Error };

    explicit XmlScanner(std::string_view xml) : xml_(xml) {}

    // The next token. An element written as <a/> gives its start and then its end.
    // After EndOfDocument or Error every call gives the same again.
    Token Next();

    // Local name (without a namespace prefix) of the element started or ended.
    std::string_view Name() const { return name_; }

    // Raw value of an attribute of the element just started, found by its local name.
    std::optional<std::string_view> Attribute(std::string_view localName) const;

    // The text of a Text token, entities expanded (CDATA as it stands).
    std::string Text() const;

    // What made the part unreadable, with its byte offset.
    const std::string& ErrorText() const { return error_; }

private:
    Token Fail(std::string what);
    std::optional<Token> ScanMarkup();  // nothing for markup that is skipped
    Token ScanStartTag(size_t nameStart);
    Token ScanEndTag();
    bool SkipPast(std::string_view terminator);

    std::string_view xml_;
    size_t at_ = 0;
    std::string_view name_;
    std::string_view attributes_;  // the start tag's text after its name
    std::string_view text_;
    bool textIsCdata_ = false;
    bool pendingEnd_ = false;  // the end of an element written as <a/>
    bool seenRoot_ = false;
    std::vector<std::string_view> open_;
    std::string error_;
    Token last_ = Token::Text;
};

// The five predefined entities and &#n; / &#xh; expanded; an unknown or broken
// reference stays as written.
std::string ExpandXmlEntities(std::string_view raw);

}  // namespace tidemark
