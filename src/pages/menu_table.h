#pragma once
// A pop-up menu as a table of rows, each a caption and the command it runs. The window
// fills its list from the table and runs the command of the row clicked, so a caption is
// only ever shown, never read back. A row whose caption changes while the program runs
// ("Enlarge" / "Shrink") follows a flag of the menu's state, which the model holds.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidemark {

// The state of a menu whose captions never change.
struct NoMenuState {};

template <typename Command, typename State = NoMenuState>
struct MenuRow {
    std::string_view text;
    Command command;
    // While this flag of the state is set the row reads `textWhileOn` and runs
    // `commandWhileOn`; a row without one always reads `text`.
    bool State::*follows = nullptr;
    std::string_view textWhileOn = {};
    Command commandWhileOn = {};
};

template <typename Command, typename State, std::size_t N>
using MenuTable = std::array<MenuRow<Command, State>, N>;

template <typename Command, typename State>
constexpr bool RowIsOn(const MenuRow<Command, State>& row, const State& state) {
    return row.follows != nullptr && state.*row.follows;
}

template <typename Command, typename State>
constexpr std::string_view TextOf(const MenuRow<Command, State>& row, const State& state) {
    return RowIsOn(row, state) ? row.textWhileOn : row.text;
}

template <typename Command, typename State>
constexpr Command CommandOf(const MenuRow<Command, State>& row, const State& state) {
    return RowIsOn(row, state) ? row.commandWhileOn : row.command;
}

// The captions in row order, as the menu shows them in `state`.
template <typename Command, typename State, std::size_t N>
std::vector<std::string> TextsOf(const MenuTable<Command, State, N>& table, const State& state = {}) {
    std::vector<std::string> texts;
    texts.reserve(N);
    for (const auto& row : table) texts.emplace_back(TextOf(row, state));
    return texts;
}

// The command of row `row` in `state`; nothing for a row the table does not have.
template <typename Command, typename State, std::size_t N>
constexpr std::optional<Command> CommandAt(const MenuTable<Command, State, N>& table, int row,
                                           const State& state = {}) {
    if (row < 0 || static_cast<std::size_t>(row) >= N) return std::nullopt;
    return CommandOf(table[static_cast<std::size_t>(row)], state);
}

// The row that runs `command` (in either caption); -1 when none does.
template <typename Command, typename State, std::size_t N>
constexpr int RowOf(const MenuTable<Command, State, N>& table, Command command) {
    for (std::size_t i = 0; i < N; ++i)
        if (table[i].command == command || (table[i].follows != nullptr && table[i].commandWhileOn == command))
            return static_cast<int>(i);
    return -1;
}

// The row that follows `flag`; -1 when none does.
template <typename Command, typename State, std::size_t N>
constexpr int RowFollowing(const MenuTable<Command, State, N>& table, bool State::*flag) {
    for (std::size_t i = 0; i < N; ++i)
        if (table[i].follows == flag) return static_cast<int>(i);
    return -1;
}

// The command a caption names, whichever state shows it: scripts and tests drive a menu
// by what its rows read.
template <typename Command, typename State, std::size_t N>
constexpr std::optional<Command> CommandNamed(const MenuTable<Command, State, N>& table, std::string_view text) {
    for (const auto& row : table) {
        if (row.text == text) return row.command;
        if (row.follows != nullptr && row.textWhileOn == text) return row.commandWhileOn;
    }
    return std::nullopt;
}

}  // namespace tidemark
