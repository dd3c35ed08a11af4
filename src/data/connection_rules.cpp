#include "data/connection_rules.h"

#include <cctype>

#include "core/vbtext.h"

namespace tidemark {
namespace {

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Replaces `name` where it stands as a whole name: "rday" inside "rdaymax" or inside an
// already bracketed "[rday$]" is left alone.
std::string ReplaceName(std::string_view text, std::string_view name, std::string_view with) {
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t at = text.find(name, pos);
        if (at == std::string_view::npos) break;
        size_t end = at + name.size();
        bool startOk = at == 0 || !IsNameChar(text[at - 1]);
        bool endOk = end == text.size() || (!IsNameChar(text[end]) && text[end] != '$');
        out.append(text.substr(pos, at - pos));
        out.append(startOk && endOk ? with : name);
        pos = end;
    }
    out.append(text.substr(pos));
    return out;
}

}  // namespace

std::string DefaultConnectionString(const std::string& programFolder) {
    std::string folder = programFolder;
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    folder = ReplaceAll(folder, "Tidemark", "Ledgerly");
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder + "/LedgerlyHDB.mdb;User Id=admin;Password=;";
}

std::string CompleteConnectionString(const std::string& trimmed, const std::string& programFolder) {
    size_t at = trimmed.find("Source");
    long long position = at == std::string::npos ? 0 : static_cast<long long>(at) + 1;
    if (static_cast<long long>(trimmed.size()) - position < 10) return DefaultConnectionString(programFolder);
    return trimmed;
}

ConnectionKind RecogniseConnectionKind(std::string& connectionstring) {
    ConnectionKind kind;
    // The provider is the value between the first and the second "=".
    std::string provider;
    size_t first = connectionstring.find('=');
    if (first != std::string::npos) {
        size_t second = connectionstring.find('=', first + 1);
        provider = LCase(
            connectionstring.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
    }
    kind.quotedates = !(Contains(provider, ".jet") || Contains(provider, "access") || Contains(provider, "excel"));
    kind.excelmode = Contains(UCase(connectionstring), "EXCEL");
    if (kind.excelmode && !Contains(connectionstring, "HDR=")) {
        bool endsWithSemicolon = !connectionstring.empty() && connectionstring.back() == ';';
        connectionstring += endsWithSemicolon ? "HDR=Yes;" : ";HDR=Yes;";
    }
    return kind;
}

void ApplyConnectionRules(SetupSettings& settings, const std::string& programFolder) {
    settings.connectionstring = CompleteConnectionString(Trim(settings.connectionstring), programFolder);
    ConnectionKind kind = RecogniseConnectionKind(settings.connectionstring);
    settings.excelmode = kind.excelmode;
    settings.quotedates = kind.quotedates;
}

std::string AdaptQuery(std::string_view query, const std::vector<std::string>& tables, ConnectionKind kind) {
    std::string out(query);
    if (kind.excelmode)
        for (const std::string& table : tables)
            if (!table.empty()) out = ReplaceName(out, table, "[" + table + "$]");
    if (kind.quotedates) out = ReplaceAll(out, "#", "'");
    return out;
}

std::string AdaptQuery(std::string_view query, const std::vector<std::string>& tables, const SetupSettings& settings) {
    return AdaptQuery(query, tables, ConnectionKind{settings.excelmode, settings.quotedates});
}

}  // namespace tidemark
