#pragma once
// Field-information blocks: plain-text resources that initialise a
// dialog's fields when it is loaded. Portable: parsing only.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class FieldSection { Ranges, Menus, Checks, Tabs, Grids, Colours, Trackbars, Lengths };

struct FieldInfoLine {
    FieldSection section = FieldSection::Ranges;
    int32_t id = 0;
    std::vector<double> values;      // the numbers after the id
    std::vector<std::string> items;  // [Menus] item texts, [Tabs] "dialog-id caption" lines
};

// Lines end with LF (a CR before it is dropped); the block ends at its first
// NUL byte. Malformed data lines are passed over.
std::vector<FieldInfoLine> ParseFieldInfo(std::string_view block);
