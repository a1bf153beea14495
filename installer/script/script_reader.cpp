// Script lines as fixed-length records.
#include "script/script_reader.h"

namespace {

constexpr int kEndOfScriptMark = 26;  // Ctrl-Z, left by old editors at the end

}  // namespace

ScriptRead ReadScriptLine(std::FILE* script, ScriptLine& line)
{
    line.clear();
    std::size_t count = 0;  // characters of the line read so far
    bool pendingReturn = false;
    auto store = [&](char c) {
        if (count < kScriptLineLength) line[count] = c;
        ++count;
    };
    for (;;) {
        const int c = std::getc(script);
        if (c == EOF) {
            if (std::ferror(script)) return ScriptRead::kError;
            // A CR at the very end is taken as a line end whose LF was lost.
            if (count == 0 && !pendingReturn) return ScriptRead::kEnd;
            break;
        }
        if (c == '\n') break;
        if (pendingReturn) store('\r');
        pendingReturn = c == '\r';
        if (!pendingReturn) store(static_cast<char>(c));
    }
    if (line[0] == static_cast<char>(kEndOfScriptMark)) return ScriptRead::kEnd;
    return ScriptRead::kLine;
}
