#pragma once
// What the unit tests share: their tables and the texts they compare.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace std::literals;
using Bytes = std::vector<uint8_t>;

// A table's rows, each one argument, so that short rows share a line.
template <typename Row, typename... Rows>
std::vector<Row> Table(const Row& row, const Rows&... rows)
{
    return {row, rows...};
}

// The items one after another, separator between them.
template <typename Range>
std::string Join(const Range& items, const char* separator = ",")
{
    std::ostringstream out;
    const char* before = "";
    for (const auto& item : items) out << std::exchange(before, separator) << item;
    return out.str();
}

inline std::string S(std::string_view text) { return std::string(text); }
