#include "utilities/command_line.h"

#include "utilities/fixed_text.h"

std::vector<std::string_view> CommandLineWords(std::string_view line)
{
    line = TrimmedText(line);
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) close = line.size();
            words.push_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            std::size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}
