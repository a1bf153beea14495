#include "utilities/os.h"

bool SystemPath(std::string_view text, std::string& path)
{
    std::string_view significant = SignificantPart(text);
    if (significant.size() > kMaxSystemPath) return false;
    path.assign(significant);
    return true;
}
