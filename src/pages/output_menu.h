#pragma once
// The output chooser that "Print" opens in the graph menu and in the web-screen menu:
// the fixed rows of its table, and the installed printers, in the order the system lists
// them, among them. The list is made afresh each time it opens, so a row's meaning
// depends on how many printers it listed then.
#include <cstddef>
#include <optional>
#include <string_view>

#include "pages/menu_table.h"

namespace tidemark {

enum class OutputCommand { SaveAsPng, DefaultPrinter, Printer, Cancel };

inline constexpr MenuTable<OutputCommand, NoMenuState, 3> kOutputChooser{{
    {"Save as PNG File", OutputCommand::SaveAsPng},
    {"Default Printer", OutputCommand::DefaultPrinter},
    {"Cancel", OutputCommand::Cancel},
}};

// The printers' rows come in before this row of the table.
inline constexpr int kPrintersBeforeRow = RowOf(kOutputChooser, OutputCommand::Cancel);

struct OutputRow {
    OutputCommand command = OutputCommand::Cancel;
    std::string_view text;  // the table's caption; empty for a printer, whose row reads its name
    int printer = -1;       // a printer's row: which printer, 0-based in the system's order
};

// Row `row` of the chooser as it lists `printerCount` printers; nothing past its end.
constexpr std::optional<OutputRow> OutputRowAt(int row, int printerCount) {
    if (row < 0 || printerCount < 0) return std::nullopt;
    if (row >= kPrintersBeforeRow && row < kPrintersBeforeRow + printerCount)
        return OutputRow{OutputCommand::Printer, {}, row - kPrintersBeforeRow};
    int fixed = row < kPrintersBeforeRow ? row : row - printerCount;
    if (static_cast<std::size_t>(fixed) >= kOutputChooser.size()) return std::nullopt;
    const auto& entry = kOutputChooser[static_cast<std::size_t>(fixed)];
    return OutputRow{entry.command, entry.text};
}

}  // namespace tidemark
