// The installation log on disk. Lines end with CR LF and are written whole,
// however long; each is flushed, so that a run that ends abruptly still
// leaves what it did on record.
#include "driver/install_log.h"

#include <cstdio>
#include <string>

#include "driver/messages.h"
#include "utilities/fixed_text.h"
#include "utilities/os.h"
#include "utilities/owned_file.h"
#include "windows/message_box.h"

namespace {

OwnedFile& TheLogFile()
{
    static OwnedFile file;
    return file;
}

void WriteLine(std::string_view line)
{
    std::FILE* f = TheLogFile().get();
    if (f == nullptr) return;
    std::string record(line);
    record.append("\r\n");
    std::fwrite(record.data(), 1, record.size(), f);
    std::fflush(f);
}

bool OpenLog()
{
    // The path must fit its field: a cut path would name another file.
    const std::string path = TheInstallState().installDir.str() + "INSTALL.LOG";
    if (path.size() > FixedText<261>::capacity) return false;
    TheLogFile().reset(std::fopen(path.c_str(), "wb"));
    return TheLogFile() != nullptr;
}

}  // namespace

void InstallLogControl(int32_t code, Logical& runOK)
{
    runOK = kFalse;
    if (code == -1) {
        int32_t hour = 0, minute = 0, second = 0, millisecond = 0, year = 0, month = 0, day = 0;
        QOsTime(hour, minute, second, millisecond);
        QOsDate(year, month, day);
        if (!OpenLog()) {
            QMsgBox(kButtonsOk, kIconStop, 1, kLogNotOpened, kAborting);
            return;
        }
        InstallLogWrite(kLogText, "#");
        InstallLogWrite(kLogText, "# " + LogHeaderText(hour, minute, year, month, day));
        InstallLogWrite(kLogText, "#");
    } else if (code == -2) {
        InstallLogWrite(kLogText, "#");
        InstallLogWrite(kLogText, LogSummaryLine(TheInstallState().copyErrors));
        InstallLogWrite(kLogText, "#");
        TheLogFile().reset();
    }
    runOK = kTrue;
}

void InstallLogWrite(int32_t code, std::string_view text) { WriteLine(LogEntryLine(code, text)); }
