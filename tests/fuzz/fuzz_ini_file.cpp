// The initialisation file is outside input: any bytes, any line lengths. Every setting stays in its range.
#include <sstream>

#include "startup/config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ToolkitConfig c;
    std::istringstream in(std::string((const char*)data, size));
    for (std::string line; std::getline(in, line);) ApplyIniLine(c, line);
    FinishConfig(c);
    const int32_t units[] = {c.generalUnit, c.plotOutputUnit, c.plotInputUnit};
    if (c.errorReportingMode < 0 || c.errorReportingMode > 4 || c.printerDriver < 1 || c.printerDriver > 37 ||
        c.plotterDriver < 1 || c.plotterDriver > 14 || units[0] == units[1] || units[0] == units[2] ||
        units[1] == units[2])
        __builtin_trap();
    return 0;
}
