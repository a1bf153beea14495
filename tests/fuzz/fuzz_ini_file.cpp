// The initialisation file is outside input: any bytes, any line lengths.
#include <string_view>

#include "startup/config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ToolkitConfig c;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (size_t end = 0; end != std::string_view::npos; input.remove_prefix(end + 1))
        ApplyIniLine(c, input.substr(0, end = input.find('\n')));
    FinishConfig(c);
    if (c.errorReportingMode < 0 || c.errorReportingMode > 4 || c.printerDriver < 1 || c.printerDriver > 37 || c.plotterDriver < 1 ||
        c.plotterDriver > 14 || c.generalUnit == c.plotOutputUnit || c.generalUnit == c.plotInputUnit || c.plotOutputUnit == c.plotInputUnit)
        __builtin_trap();
    return 0;
}
