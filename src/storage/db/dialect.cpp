#include "storage/db/dialect.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <regex>
#include <vector>

#include "core/daynum.h"
#include "core/vbtext.h"

namespace tidemark {

namespace {

// The statement cut into the pieces whose inside must not be read as SQL words.
struct Token {
    // Rewritten: text the dialect step made itself, passed on as it is.
    enum class Kind { Plain, Quoted, HashDate, Bracketed, DoubleQuoted, Rewritten };
    Kind kind;
    std::string text;  // with its delimiters
};

// Date of a literal's inside when it is one of the program's date forms.
std::optional<double> LiteralDate(std::string_view inside) {
    if (inside.size() < 11 || inside.size() > 24) return std::nullopt;
    return ParseDayMonthYear(inside);
}

size_t FindClosing(std::string_view s, size_t from, char closing, bool doubledEscapes) {
    for (size_t i = from; i < s.size(); ++i) {
        if (s[i] != closing) continue;
        if (doubledEscapes && i + 1 < s.size() && s[i + 1] == closing) {
            ++i;
            continue;
        }
        return i;
    }
    return std::string_view::npos;
}

std::vector<Token> Tokenize(std::string_view s) {
    std::vector<Token> tokens;
    auto plain = [&](std::string_view text) {
        if (!tokens.empty() && tokens.back().kind == Token::Kind::Plain)
            tokens.back().text += text;
        else
            tokens.push_back({Token::Kind::Plain, std::string(text)});
    };
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        Token::Kind kind;
        char closing;
        bool doubled = false;
        switch (c) {
            case '\'':
                kind = Token::Kind::Quoted;
                closing = '\'';
                doubled = true;
                break;
            case '"':
                kind = Token::Kind::DoubleQuoted;
                closing = '"';
                doubled = true;
                break;
            case '[':
                kind = Token::Kind::Bracketed;
                closing = ']';
                break;
            case '#': {
                size_t end = s.find('#', i + 1);
                if (end != std::string_view::npos && LiteralDate(s.substr(i + 1, end - i - 1))) {
                    tokens.push_back({Token::Kind::HashDate, std::string(s.substr(i, end - i + 1))});
                    i = end + 1;
                } else {
                    plain(s.substr(i, 1));
                    ++i;
                }
                continue;
            }
            default:
                plain(s.substr(i, 1));
                ++i;
                continue;
        }
        size_t end = FindClosing(s, i + 1, closing, doubled);
        size_t stop = end == std::string_view::npos ? s.size() : end + 1;
        tokens.push_back({kind, std::string(s.substr(i, stop - i))});
        i = stop;
    }
    return tokens;
}

std::string DateText(double day) {
    CivilTime t = ToCivil(day);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

std::string DateLiteral(SqlDialect dialect, double day) {
    switch (dialect) {
        case SqlDialect::SQLite: return "'" + DateText(day) + "'";
        case SqlDialect::PostgreSQL: return "TIMESTAMP '" + DateText(day) + "'";
        case SqlDialect::OdbcEscape:
        case SqlDialect::MySql: return "{ts '" + DateText(day) + "'}";
    }
    return {};
}

bool IsSimpleIdentifier(std::string_view name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

// [name$] is a workbook sheet; on a database engine it is the table "name".
std::string BracketedName(SqlDialect dialect, const std::string& token) {
    if (dialect == SqlDialect::OdbcEscape || token.size() < 2 || token.back() != ']') return token;
    std::string name = token.substr(1, token.size() - 2);
    if (!name.empty() && name.back() == '$') name.pop_back();
    if (dialect == SqlDialect::SQLite) return "[" + name + "]";
    if (IsSimpleIdentifier(name)) return name;
    // Outside ANSI_QUOTES mode MariaDB and MySQL read "name" as a string.
    if (dialect == SqlDialect::MySql) return "`" + ReplaceAll(name, "`", "``") + "`";
    return "\"" + ReplaceAll(name, "\"", "\"\"") + "\"";
}

// The date of a literal token, if it is one of the program's date literals.
std::optional<double> DateOfToken(const Token& token) {
    if (token.kind != Token::Kind::HashDate && token.kind != Token::Kind::Quoted) return std::nullopt;
    if (token.text.size() < 2 || token.text.back() != token.text.front()) return std::nullopt;
    std::string inside = token.text.substr(1, token.text.size() - 2);
    if (token.kind == Token::Kind::Quoted) inside = ReplaceAll(inside, "''", "'");
    return LiteralDate(inside);
}

std::string ConvertToken(SqlDialect dialect, const Token& token) {
    switch (token.kind) {
        case Token::Kind::HashDate:
        case Token::Kind::Quoted:
            if (std::optional<double> day = DateOfToken(token)) return DateLiteral(dialect, *day);
            return token.text;
        case Token::Kind::Bracketed: return BracketedName(dialect, token.text);
        case Token::Kind::Plain:
        case Token::Kind::DoubleQuoted:
        case Token::Kind::Rewritten: return token.text;
    }
    return token.text;
}

std::string DayText(double day) { return DateText(std::floor(day)).substr(0, 10); }

// SQLite keeps date-times as text and compares them as text, so "2026-03-11T00:00:00" or
// "2026-03-11 00:00:00.000" - forms the schema accepts - fall outside a range that ends
// at '2026-03-11 00:00:00'. Such a range is compared as instants (julianday reads every
// ISO form exactly), within a day-wide text range that every form of those instants
// falls into, so the primary key still narrows the rows read. A row inside the range as
// text is inside it as an instant too; only the others pay for julianday.
std::string InstantRange(const std::string& column, double from, double to) {
    const std::string first = "'" + DateText(from) + "'", last = "'" + DateText(to) + "'";
    return "(" + column + " >= '" + DayText(from) + "' and " + column + " < '" + DayText(to + 1) + "' and (" + column +
           " between " + first + " and " + last + " or julianday(" + column + ") between julianday(" + first +
           ") and julianday(" + last + ")))";
}

bool IsMidnight(double day) { return DateText(day).compare(11, 8, "00:00:00") == 0; }

// The program's own windows run from midnight to midnight, and for those the text order
// alone separates the rows, so the primary key serves the range without a function call
// on any row: every form of a first day's time sorts at or after that day's date, and of
// the last day only midnight is in, which as text is either up to "D 00:00:00" with
// zeros after the point (the space forms, next to the days before) or the same with "T"
// (the "T" forms, after every space form of that day). The one comparison a row still
// costs is for a last day stored in both forms: its later space forms sort between the
// two midnights, so no single key range holds both without them. A midnight written
// with more than nine zeros after the point is left out, and so is a time less than a
// millisecond after midnight, which julianday, reading milliseconds, took for midnight.
std::string MidnightRange(const std::string& column, double from, double to) {
    const std::string zeros = ".000000000", lastDay = DayText(to);
    return "(" + column + " >= '" + DayText(from) + "' and " + column + " <= '" + lastDay + "T00:00:00" + zeros +
           "' and (" + column + " <= '" + lastDay + " 00:00:00" + zeros + "' or " + column + " >= '" + lastDay + "T'))";
}

// The two pieces of the key a midnight-to-midnight window is made of, each a plain range:
// every form of the days before the last and the space forms of its midnight, then the
// "T" forms of that midnight, which sort after every space form of the day.
std::string MidnightSpaceFormsRange(const std::string& column, double from, double to) {
    return "(" + column + " >= '" + DayText(from) + "' and " + column + " <= '" + DayText(to) + " 00:00:00.000000000')";
}

std::string MidnightTFormsRange(const std::string& column, double to) {
    const std::string lastDay = DayText(to);
    return "(" + column + " >= '" + lastDay + "T' and " + column + " <= '" + lastDay + "T00:00:00.000000000')";
}

// Marks where the window stood, for reading the shape of the statement around it.
constexpr char kRangePlaceholder = '\x01';

std::string SqliteDateRange(const std::string& column, double from, double to) {
    if (IsMidnight(from) && IsMidnight(to)) return MidnightRange(column, from, to);
    return InstantRange(column, from, to);
}

struct DateRange {
    size_t token;  // the rewritten token's place among the tokens
    std::string column;
    double from, to;
    bool Midnights() const { return IsMidnight(from) && IsMidnight(to); }
};

bool IsBlankChar(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

// Where "<column> between " ends the text, the column's start and length. Statements are
// read this way before every series fetch, so this is a plain scan rather than a pattern.
std::optional<std::pair<size_t, size_t>> ColumnBeforeBetween(std::string_view text) {
    size_t end = text.size();
    if (end == 0 || !IsBlankChar(text[end - 1])) return std::nullopt;
    while (end > 0 && IsBlankChar(text[end - 1])) --end;
    constexpr std::string_view kBetween = "between";
    if (end < kBetween.size() || LCase(text.substr(end - kBetween.size(), kBetween.size())) != kBetween)
        return std::nullopt;
    end -= kBetween.size();
    if (end == 0 || !IsBlankChar(text[end - 1])) return std::nullopt;
    while (end > 0 && IsBlankChar(text[end - 1])) --end;
    size_t start = end;
    while (start > 0 && IsNameChar(text[start - 1])) --start;
    while (start < end && !std::isalpha(static_cast<unsigned char>(text[start])) && text[start] != '_') ++start;
    // "not between" is left as written: its column is further back, and its rows are
    // the others.
    if (start == end || LCase(text.substr(start, end - start)) == "not") return std::nullopt;
    return std::make_pair(start, end - start);
}

// " and " between the two dates of a range: the word with blanks on both sides and nothing else.
bool IsAndAlone(std::string_view text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlankChar(text[first])) ++first;
    while (last > first && IsBlankChar(text[last - 1])) --last;
    return first > 0 && last < text.size() && LCase(text.substr(first, last - first)) == "and";
}

// Finds "column between <date> and <date>" and puts the instant comparison in its place;
// returns the ranges it found.
std::vector<DateRange> NormalizeSqliteDateRanges(std::vector<Token>& tokens) {
    std::vector<DateRange> found;
    std::vector<Token> out;
    out.reserve(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        std::optional<std::pair<size_t, size_t>> column;
        std::optional<double> from, to;
        if (tokens[i].kind == Token::Kind::Plain && i + 3 < tokens.size() &&
            (column = ColumnBeforeBetween(tokens[i].text)) && (from = DateOfToken(tokens[i + 1])) &&
            tokens[i + 2].kind == Token::Kind::Plain && IsAndAlone(tokens[i + 2].text) &&
            (to = DateOfToken(tokens[i + 3]))) {
            std::string before = tokens[i].text.substr(0, column->first);
            std::string name = tokens[i].text.substr(column->first, column->second);
            if (!before.empty()) out.push_back({Token::Kind::Plain, before});
            out.push_back({Token::Kind::Rewritten, SqliteDateRange(name, *from, *to)});
            found.push_back({out.size() - 1, std::move(name), *from, *to});
            i += 3;
            continue;
        }
        out.push_back(std::move(tokens[i]));
    }
    tokens = std::move(out);
    return found;
}

// One command: its text and which characters are outside literals.
struct Command {
    std::string text;
    std::vector<bool> plain;

    void Append(const std::string& part, bool isPlain) {
        text += part;
        plain.insert(plain.end(), part.size(), isPlain);
    }
};

std::vector<Command> SplitCommands(const std::vector<Token>& tokens, SqlDialect dialect, bool convert) {
    std::vector<Command> commands(1);
    for (const Token& token : tokens) {
        if (token.kind != Token::Kind::Plain) {
            commands.back().Append(convert ? ConvertToken(dialect, token) : token.text, false);
            continue;
        }
        size_t start = 0;
        for (size_t semi; (semi = token.text.find(';', start)) != std::string::npos; start = semi + 1) {
            commands.back().Append(token.text.substr(start, semi - start), true);
            commands.emplace_back();
        }
        commands.back().Append(token.text.substr(start), true);
    }
    return commands;
}

bool IsBlank(const std::string& text) { return TrimBlanks(text).empty(); }

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Position of the word (letter case ignored) in plain text at parenthesis depth 0, the
// last such one when `last`, or npos.
size_t FindWord(const Command& command, std::string_view word, bool last) {
    size_t found = std::string::npos;
    int depth = 0;
    const std::string& s = command.text;
    for (size_t i = 0; i < s.size(); ++i) {
        if (!command.plain[i]) continue;
        if (s[i] == '(') ++depth;
        if (s[i] == ')') --depth;
        if (depth != 0 || i + word.size() > s.size()) continue;
        if (i > 0 && IsWordChar(s[i - 1])) continue;
        if (i + word.size() < s.size() && IsWordChar(s[i + word.size()])) continue;
        bool same = true;
        for (size_t k = 0; k < word.size() && same; ++k)
            same = command.plain[i + k] && std::tolower(static_cast<unsigned char>(s[i + k])) == word[k];
        if (!same) continue;
        found = i;
        if (!last) return found;
    }
    return found;
}

// Start of a trailing "order by ..." clause, or npos.
size_t FindOrderBy(const Command& command) {
    size_t order = FindWord(command, "order", true);
    if (order == std::string::npos) return order;
    std::string_view rest = std::string_view(command.text).substr(order + 5);
    size_t next = rest.find_first_not_of(" \t\r\n");
    if (next == std::string_view::npos || LCase(rest.substr(next, 2)) != "by") return std::string::npos;
    return order;
}

bool StartsWithUnion(const std::string& text) {
    std::string t = LCase(TrimBlanks(text));
    return StartsWith(t, "union") && (t.size() == 5 || !IsWordChar(t[5]));
}

// The engine's text of a statement's tokens, its date ranges already rewritten for SQLite.
std::string ConvertTokens(SqlDialect dialect, const std::vector<Token>& tokens) {
    std::vector<Command> all = SplitCommands(tokens, dialect, true);
    std::vector<const Command*> commands;
    for (const Command& c : all)
        if (!IsBlank(c.text)) commands.push_back(&c);

    bool unionForm = commands.size() > 1;
    for (size_t i = 1; i < commands.size() && unionForm; ++i) unionForm = StartsWithUnion(commands[i]->text);
    if (!unionForm) {
        std::string out;
        for (size_t i = 0; i < all.size(); ++i) out += (i ? ";" : "") + all[i].text;
        return out;
    }

    std::string merged;
    std::string finalOrder;
    for (const Command* c : commands) {
        std::string text = c->text;
        size_t order = FindOrderBy(*c);
        if (order != std::string::npos) {
            finalOrder = TrimBlanks(text.substr(order));
            text.erase(order);
        }
        if (!merged.empty()) merged += " ";
        merged += TrimBlanks(text);
    }
    if (!finalOrder.empty()) merged += " " + finalOrder;
    return merged + ";";
}

std::string Convert(SqlDialect dialect, std::string_view statement) {
    std::vector<Token> tokens = Tokenize(statement);
    if (dialect == SqlDialect::SQLite) NormalizeSqliteDateRanges(tokens);
    return ConvertTokens(dialect, tokens);
}

// The name inside SQLite's quoting.
std::string UnquotedName(const std::string& name) {
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') return name.substr(1, name.size() - 2);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return ReplaceAll(name.substr(1, name.size() - 2), "\"\"", "\"");
    return name;
}

// The command's text with every character inside a literal or a quoted name replaced, so
// that a pattern reads only its SQL words; the window's placeholder is kept.
std::string Skeleton(const Command& command) {
    std::string skeleton = command.text;
    for (size_t i = 0; i < skeleton.size(); ++i)
        if (!command.plain[i] && skeleton[i] != kRangePlaceholder) skeleton[i] = '\x02';
    return skeleton;
}

// Words that, outside parentheses, would make the rows of the two halves of a window
// something other than the halves of the window's rows: groups, limits, duplicates
// removed, other selects, a window that is one alternative among others.
bool HasWordThatSplittingChanges(const Command& command) {
    for (std::string_view word : {"or", "union", "intersect", "except", "group", "having", "limit", "offset", "join",
                                  "distinct", "window", "between"})
        if (FindWord(command, word, false) != std::string::npos) return true;
    return false;
}

}  // namespace

std::optional<SqliteKeyRanges> SplitSqliteWindow(std::string_view statement) {
    std::vector<Token> tokens = Tokenize(statement);
    std::vector<DateRange> ranges = NormalizeSqliteDateRanges(tokens);
    if (ranges.size() != 1 || !ranges.front().Midnights()) return std::nullopt;
    const DateRange& window = ranges.front();
    std::string& windowText = tokens[window.token].text;
    windowText = std::string(1, kRangePlaceholder);
    std::vector<Command> commands = SplitCommands(tokens, SqlDialect::SQLite, true);
    const Command* only = nullptr;
    for (const Command& c : commands) {
        if (IsBlank(c.text)) continue;
        if (only) return std::nullopt;
        only = &c;
    }
    if (!only || HasWordThatSplittingChanges(*only)) return std::nullopt;
    // Plain columns (no function, so no aggregate), one table (perhaps with a short name), the window one of the
    // conditions all of which must hold, and the rows in the order of its column.
    static const std::regex kShape(
        "^\\s*select\\s+[\\w.\x02]+(?:\\s*,\\s*[\\w.\x02]+)*\\s+from\\s+([\\w\x02]+)(?:\\s+(?:as\\s+)?\\w+)?\\s+"
        "where\\s+(?:[\\s\\S]*\\s+and\\s+)?"
        "\x01(?:\\s+and\\s+[\\s\\S]*)?\\s+order\\s+by\\s+([\\w.\x02]+)(?:\\s+asc)?\\s*$",
        std::regex::icase);
    const std::string skeleton = Skeleton(*only);
    std::smatch shape;
    if (std::count(skeleton.begin(), skeleton.end(), kRangePlaceholder) != 1 ||
        !std::regex_match(skeleton, shape, kShape))
        return std::nullopt;
    const std::string& column = window.column;
    if (LCase(only->text.substr(static_cast<size_t>(shape.position(2)), static_cast<size_t>(shape.length(2)))) !=
        LCase(column))
        return std::nullopt;
    std::string table =
        UnquotedName(only->text.substr(static_cast<size_t>(shape.position(1)), static_cast<size_t>(shape.length(1))));
    size_t dot = column.rfind('.');
    SqliteKeyRanges halves{std::move(table), dot == std::string::npos ? column : column.substr(dot + 1), {}, {}};
    windowText = MidnightSpaceFormsRange(column, window.from, window.to);
    halves.first = ConvertTokens(SqlDialect::SQLite, tokens);
    windowText = MidnightTFormsRange(column, window.to);
    halves.second = ConvertTokens(SqlDialect::SQLite, tokens);
    return halves;
}

std::string ApplyDialect(SqlDialect dialect, std::string_view statement) { return Convert(dialect, statement); }

std::string SqliteDialect(std::string_view statement) { return Convert(SqlDialect::SQLite, statement); }

std::string PostgresDialect(std::string_view statement) { return Convert(SqlDialect::PostgreSQL, statement); }

SqlDialect OdbcDialectFor(std::string_view dbmsName) {
    std::string name = LCase(dbmsName);
    if (Contains(name, "sqlite")) return SqlDialect::SQLite;
    if (Contains(name, "postgres")) return SqlDialect::PostgreSQL;
    if (Contains(name, "mariadb") || Contains(name, "mysql")) return SqlDialect::MySql;
    return SqlDialect::OdbcEscape;
}

std::string OdbcDialect(std::string_view statement, std::string_view dbmsName) {
    return Convert(OdbcDialectFor(dbmsName), statement);
}

bool HasSeveralStatements(std::string_view statement) {
    int nonBlank = 0;
    for (const Command& c : SplitCommands(Tokenize(statement), SqlDialect::SQLite, false))
        if (!IsBlank(c.text)) ++nonBlank;
    return nonBlank > 1;
}

Result<std::string> RunnableStatement(SqlDialect dialect, std::string_view statement) {
    std::string sql = ApplyDialect(dialect, statement);
    if (HasSeveralStatements(sql)) return Fault{"The statement holds more than one command; only one is run at a time"};
    if (!IsReadingStatement(sql)) return Fault{"Only statements that read (SELECT) are run on the database"};
    return sql;
}

bool IsReadingStatement(std::string_view statement) {
    size_t i = 0;
    while (i < statement.size() && (std::isspace(static_cast<unsigned char>(statement[i])) || statement[i] == '(')) ++i;
    size_t end = i;
    while (end < statement.size() && IsWordChar(statement[end])) ++end;
    std::string word = LCase(statement.substr(i, end - i));
    return word == "select" || word == "with";
}

}  // namespace tidemark
