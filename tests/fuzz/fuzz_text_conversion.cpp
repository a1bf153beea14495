// Numbers in scripts and initialisation files are outside input. The first byte chooses the operation and,
// above its two low bits, a field width; the rest is its text.
#include <cstring>

#include "errors/errors.h"
#include "utilities/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    std::string text((const char*)(data + 1), size - 1);
    std::string field(data[0] >> 2, '#');
    int32_t value = 1;
    int32_t again = 0;
    bool ok = true;
    if (data[0] % 3 == 0) {  // a number converted back gives the same number
        QStrToInt(text, value);
        const int32_t code = QErrorInfo(1);
        field.assign(12, ' ');
        QStrFromInt(value, field, "(I11)");
        QStrToInt(field, again);
        ok = code == 0 ? again == value && QErrorInfo(1) == 0 : value == 0 && (code == 4 || code == 10 || code == 12);
    } else if (data[0] % 3 == 1 && text.size() >= 4) {  // four bytes of value, then the format
        std::memcpy(&value, text.data(), 4);
        QStrFromInt(value, field, std::string_view(text).substr(4));
        const int32_t code = QErrorInfo(1);
        ok = code == 0 || code == 18;
    } else {  // the text keeps its length
        const size_t length = text.size();
        QStrFirstWord(text, field);
        QStrJustify(text, data[0] & 4 ? "L" : "R");
        ok = text.size() == length;
    }
    if (!ok) __builtin_trap();
    return 0;
}
