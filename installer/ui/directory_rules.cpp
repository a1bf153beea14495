#include "ui/directory_rules.h"

#include <algorithm>

#include "utilities/fixed_text.h"

namespace {

constexpr std::size_t kMaxSystemPathLength = 255;

}  // namespace

bool IsAcceptableDirectoryName(std::string_view name)
{
    name = SignificantPart(name);
    if (name.empty()) return false;
    if (name.find_first_of("/*?\"<>|") != std::string_view::npos) return false;
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos) return true;
    return colon == 1 && name.find(':', 2) == std::string_view::npos;
}

bool IsDirectoryNameTooLong(std::string_view name) { return SignificantPart(name).size() > kMaxSystemPathLength; }

void CutToExistingAncestor(std::span<char> buffer, const std::function<bool(std::string_view)>& exists)
{
    do {
        if (exists(AsView(buffer))) return;
        std::size_t length = SignificantLength(AsView(buffer));
        if (length > 0) buffer[--length] = ' ';
        const std::size_t slash = AsView(buffer).substr(0, length).rfind('\\');
        if (slash != std::string_view::npos) FillText(buffer.subspan(slash), "");
    } while (SignificantLength(AsView(buffer)) > 2);
}
