// The error state, its reporting modes and the debug file.
#include <cstdio>

#include "errors/errors.h"
#include "errors/report_sink.h"
#include "utilities/fixed_text.h"
#include "utilities/owned_file.h"

namespace {

struct ErrorState {
    int32_t lastCode = 0;
    int32_t detail = 0;
    int32_t osError = 0;
    int32_t reportingMode = kReportSilent;
};

ErrorState& State()
{
    static ErrorState state;
    return state;
}

struct DebugFile {
    OwnedFile file;
    bool tried = false;
};

DebugFile& TheDebugFile()
{
    static DebugFile debug;
    return debug;
}

// Created on the first write of the run; an existing file is emptied.
// When none of the names can be created the lines are lost.
std::FILE* OpenDebugFile()
{
    DebugFile& debug = TheDebugFile();
    if (!debug.tried) {
        debug.tried = true;
        for (const char* name : {"debug", "debug.txt", "debug.dat"}) {
            debug.file.reset(std::fopen(name, "wb"));
            if (debug.file) break;
        }
    }
    return debug.file.get();
}

void WriteDebugLine(std::string_view text)
{
    if (std::FILE* f = OpenDebugFile()) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fputs("\r\n", f);
        std::fflush(f);  // the run may end abnormally at any moment
    }
}

}  // namespace

int32_t QErrorInfo(int32_t item)
{
    ErrorState& s = State();
    int32_t* word = item == 1 ? &s.lastCode : item == 2 ? &s.detail : &s.osError;
    int32_t value = *word;
    *word = 0;
    return value;
}

void RaiseError(int32_t code)
{
    ErrorState& s = State();
    s.lastCode = code;
    if (s.reportingMode <= kReportSilent) return;

    std::string line = ReportLine(code);
    line.resize(SignificantLength(line));
    // Failures inside the reporting itself are not reported again.
    const int32_t mode = s.reportingMode;
    s.reportingMode = kReportSilent;
    bool goOn = true;
    switch (mode) {
    case kReportStdout:
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        break;
    case kReportDebugFile: WriteDebugLine(line); break;
    case kReportStatusBar: ShowReportInStatusBar(line); break;
    case kReportMessageBox: goOn = ShowReportInBox(line); break;
    default: break;
    }
    if (!goOn) AbnormalExit(" ", 0);
    s.reportingMode = mode;
    s.lastCode = code;
}

void RaiseFileError(int32_t code, uint32_t windowsError)
{
    State().detail = static_cast<int32_t>(windowsError);
    RaiseError(code);
}

void RaiseOsError(int32_t code, uint32_t windowsError)
{
    State().osError = static_cast<int32_t>(windowsError);
    RaiseError(code);
}

void SetErrorReportingMode(int32_t mode) { State().reportingMode = mode; }
int32_t ErrorReportingMode() { return State().reportingMode; }

void ResetErrorState() { State() = ErrorState{}; }

void DebugLine(std::string_view text) { WriteDebugLine(text); }

void DebugValue(std::string_view text, int32_t value)
{
    WriteDebugLine(std::string(text) + " = " + std::to_string(value));
}

std::string AbnormalExitText(std::string_view message, int32_t code)
{
    // The code is written in four columns, then left-justified and trimmed.
    std::string count = std::to_string(code);
    if (count.size() > 4) count = "****";
    std::string text = "Abnormal exit (code " + count + ") :";
    std::string_view significant = TrimmedText(message);
    text += significant.substr(0, 4096);
    return text;
}

void AbnormalExit(std::string_view message, int32_t code)
{
    ShowAbnormalExitAndEnd(AbnormalExitText(message, code), code);
}
