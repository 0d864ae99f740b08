// Tables of rows with handlers, read at compile time only. A table of function pointers
// kept in a position-independent executable is relocated entry by entry at every start
// of every command; instead, what run time reads of the rows is copied into an array of
// its own, and the handlers are called directly, each a constant.
#pragma once

#include <array>
#include <cstddef>

namespace haadm {

// The part of every row of table that run time reads.
template <typename Part, typename Row, std::size_t N>
constexpr std::array<Part, N> parts_of(const std::array<Row, N>& table, Part Row::*part)
{
    std::array<Part, N> parts{};
    for (std::size_t i = 0; i < N; ++i) {
        parts[i] = table[i].*part;
    }
    return parts;
}

// Calls the handler of row index of kTable (0 <= index < kTable.size()) with args: rows
// I and on are tried in turn, and the last one is taken when no earlier one is.
template <const auto& kTable, std::size_t I = 0, typename... Args>
decltype(auto) call_row(int index, Args&&... args)
{
    if constexpr (I + 1 < kTable.size()) {
        if (index != static_cast<int>(I)) {
            return call_row<kTable, I + 1>(index, static_cast<Args&&>(args)...);
        }
    }
    constexpr auto handler = kTable[I].handler;
    return handler(static_cast<Args&&>(args)...);
}

}  // namespace haadm
