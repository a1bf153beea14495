#pragma once
// The install pass: reads the install script a second time and carries out
// the commands of its file sections. Portable: what it needs of Windows, the
// toolkit and the log comes from the caller.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

enum class PassEvent { kNone, kCancel, kRedraw, kOther };

struct PassServices {
    virtual ~PassServices() = default;
    // The next pending event; kNone when there is none left.
    virtual PassEvent NextEvent() = 0;
    // A message box; the answer as QStateInfo(4) gives it.
    virtual int32_t Ask(int32_t buttons, int32_t icon, int32_t defaultButton, std::string_view text,
                        std::string_view caption) = 0;
    // The background without its message, and the current banner picture.
    virtual void PaintBackground() = 0;
    virtual void ShowBanner() = 0;
    virtual bool DirectoryExists(std::string_view path) = 0;
    // False when the directory could not be made.
    virtual bool MakeDirectory(std::string_view path) = 0;
    // Status 0 when copied; a copy also loses its read-only attribute.
    virtual int32_t CopyExpanded(std::string_view source, std::string_view destination) = 0;
    virtual bool FileExists(std::string_view path) = 0;
    // The name a source expands to, as ExpandedFileName answers it.
    virtual std::string ExpandedName(std::string_view sourcePath) = 0;
    virtual bool SourceSize(std::string_view path, int64_t& size) = 0;
    // Whether the source is larger than the free space of the installation drive.
    virtual bool SourceExceedsFreeSpace(std::string_view sourcePath) = 0;
    virtual void ShowProgressTexts(std::string_view from, std::string_view to) = 0;
    virtual void SetProgress(int32_t position) = 0;
    // associate, variable and program lines; false ends the pass (the
    // collector has told the user).
    virtual bool Collect(int32_t keyword, std::span<char> arguments) = 0;
    virtual void Log(int32_t code, std::string_view text) = 0;
};

// Runs the pass over the open script from its current position. True when
// the end of the script was reached; false after a failure, told to the user.
bool RunInstallPass(std::FILE* script, PassServices& services);

// The progress bar's position (0 to 65535) for the bytes copied so far.
int32_t ProgressPosition(int64_t bytesDone, float progressScale);
