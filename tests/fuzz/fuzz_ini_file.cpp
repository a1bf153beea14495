// The initialisation file is outside input: any bytes, any line lengths.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "startup/config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ToolkitConfig config;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
        std::size_t end = input.find('\n');
        std::string_view line = input.substr(0, end);
        ApplyIniLine(config, line);
        if (end == std::string_view::npos) break;
        input.remove_prefix(end + 1);
    }
    FinishConfig(config);
    if (config.errorReportingMode < 0 || config.errorReportingMode > 4) __builtin_trap();
    if (config.printerDriver < 1 || config.printerDriver > 37) __builtin_trap();
    if (config.plotterDriver < 1 || config.plotterDriver > 14) __builtin_trap();
    if (config.generalUnit == config.plotOutputUnit || config.generalUnit == config.plotInputUnit ||
        config.plotOutputUnit == config.plotInputUnit)
        __builtin_trap();
    return 0;
}
