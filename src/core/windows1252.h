#pragma once
// The program's text is 8-bit Windows-1252, as the setup file, the alert report and the
// databases of the companion programs write it. These are the only conversions between
// it and Unicode; every adapter (painting, databases, the JSON export, text typed into
// the window) goes through them, so a character reads the same everywhere.
#include <string>
#include <string_view>

namespace tidemark {

// The Unicode character of a program-text byte. The five positions the code page leaves
// undefined keep their C1 code points, as Windows itself maps them.
char16_t Windows1252ToUnicode(unsigned char byte);

// The program-text byte of a Unicode character; '?' when the code page has none.
char UnicodeToWindows1252(char32_t character);

// The capital of a program-text letter (a-z, the accented letters, š, œ, ž, ÿ); any other
// byte as it is.
unsigned char Windows1252Upper(unsigned char byte);

// Orders texts as people read them in a list: letter case ignored, then byte order, so
// "alder Creek" sorts between "Abbey" and "Beaver".
bool LessIgnoringCase(std::string_view a, std::string_view b);

std::u16string Windows1252ToUtf16(std::string_view text);

// Each UTF-16 unit on its own: a character beyond 16 bits (a surrogate pair) gives "??".
std::string Windows1252FromUtf16(std::u16string_view text);

// UTF-8 to program text, appended to `out`. An invalid byte becomes one '?', a character
// beyond 16 bits two, so the result matches a decode through UTF-16.
void AppendUtf8AsWindows1252(std::string_view utf8, std::string& out);

}  // namespace tidemark
