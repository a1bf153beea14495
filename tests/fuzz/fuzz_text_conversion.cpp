// Numbers in scripts and initialisation files are outside input.
// The first byte chooses the operation, the rest is its text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "errors/errors.h"
#include "utilities/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const uint8_t op = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (op % 3) {
    case 0: {
        int32_t value = 1;
        QStrToInt(text, value);
        int32_t code = QErrorInfo(1);
        if (code != 0 && value != 0) __builtin_trap();
        if (code != 0 && code != 4 && code != 10 && code != 12) __builtin_trap();
        if (code == 0) {  // converting back gives the same number
            std::string back(12, ' ');
            QStrFromInt(value, back, "(I11)");
            int32_t again = 0;
            QStrToInt(back, again);
            if (again != value || QErrorInfo(1) != 0) __builtin_trap();
        }
        break;
    }
    case 1: {
        // text = "value-bytes(4)" + format
        if (text.size() < 4) return 0;
        int32_t value;
        std::memcpy(&value, text.data(), 4);
        std::string field(static_cast<std::size_t>(op >> 2), '#');
        QStrFromInt(value, field, std::string_view(text).substr(4));
        int32_t code = QErrorInfo(1);
        if (code != 0 && code != 18) __builtin_trap();
        break;
    }
    default: {
        std::string word(static_cast<std::size_t>(op >> 2), '#');
        std::string before = text;
        QStrFirstWord(text, word);
        QStrJustify(text, op & 4 ? "L" : "R");
        if (text.size() != before.size()) __builtin_trap();
        break;
    }
    }
    return 0;
}
