#pragma once
// The toolkit's error state. Operations never return a status and never
// throw: a failure records its code here, is reported according to the
// error-reporting mode, and the operation returns normally. Callers clear the
// code with QErrorInfo(1) before an operation and read it afterwards.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Error-reporting modes.
enum : int32_t {
    kReportSilent = 0,
    kReportStdout = 1,
    kReportDebugFile = 2,
    kReportStatusBar = 3,
    kReportMessageBox = 4,
};

// The codes the toolkit raises; ErrorMessage gives each its text.
enum : int32_t {
    kErrorOpen = 1,        // opening a file or device
    kErrorReadWrite = 2,   // reading or writing a file or device
    kErrorClose = 3,       // closing a file or device
    kErrorOsCommand = 13,  // an operating-system routine failed
    kErrorUnitRange = 16,  // graphics unit range
    kErrorNumberToText = 18,
    kErrorShapeSize = 22,       // a rectangle of no width or height
    kErrorImageFile = 27,       // a picture that cannot be drawn
    kErrorColour = 42,          // unknown colour name or number
    kErrorAreaRange = 44,       // an area or viewport out of range
    kErrorWindowHandle = 1003,  // no root window
    kErrorCommonDialog = 1004,
    kErrorNoDialogs = 1005,
    kErrorFieldId = 1006,
    kErrorLoadDialog = 1007,
    kErrorSelectDialog = 1008,
    kErrorFieldRange = 1009,
    kErrorProgressRange = 1013,
    kErrorDialogMode = 1014,
    kErrorRootHidden = 1016,
    kErrorSurface = 1019,   // no drawing surface
    kErrorTimedOut = 1034,  // an external process outlived its wait
};

constexpr std::size_t kMessageLength = 62;
constexpr std::size_t kReportLineLength = 73;

// Item 1: the last error code; item 2: the detail value; any other item: the
// operating-system error. The value read is reset to 0.
int32_t QErrorInfo(int32_t item);

// Records code as the last error and reports it.
void RaiseError(int32_t code);
// File operations keep the Windows error number as the detail value.
void RaiseFileError(int32_t code, uint32_t windowsError);
// Directory, deletion and execution operations keep it as the operating-system error.
void RaiseOsError(int32_t code, uint32_t windowsError);

void SetErrorReportingMode(int32_t mode);
int32_t ErrorReportingMode();
// Puts the error state back to its start-up values (all words 0).
void ResetErrorState();

// The message of a code, trimmed; a single blank for codes without one.
std::string_view ErrorMessage(int32_t code);
// The same, as a 62-character blank-padded field.
void ErrorMessage(int32_t code, std::span<char> field);
// "Error=", the code in 4 columns, ":", the message: 73 characters, padded.
std::string ReportLine(int32_t code);

// Lines appended to the debug file ("debug", "debug.txt" or "debug.dat" in the
// current directory, created on the first write of the run), ended by CR LF.
void DebugLine(std::string_view text);
void DebugValue(std::string_view text, int32_t value);

// "Abnormal exit (code N) :" followed by the significant part of message.
std::string AbnormalExitText(std::string_view message, int32_t code);
// Tells the user with a stop box captioned by the application name, then
// ends the process.
[[noreturn]] void AbnormalExit(std::string_view message, int32_t code);
