#pragma once
// Calls that only later systems export. The program has to load on the first
// Windows 95, NT 3.51 and Win32s, whose loaders refuse a program that imports
// a function their DLLs lack, so each of these is looked up at run time and,
// where it is missing, done with the calls those systems have.

#include <windows.h>

#include <cstdint>

// The size of an open file (GetFileSizeEx, else GetFileSize with its high word).
bool FileSizeOf(HANDLE file, uint64_t& size);

// Attributes, times and size of a file or directory named without wildcards
// (GetFileAttributesExA, else FindFirstFileA; a root directory by its attributes alone).
bool FileAttributesOf(const char* path, WIN32_FILE_ATTRIBUTE_DATA& data);

// The long form of an existing path, as GetLongPathNameA returns it: the length
// written, the size needed when the buffer is too small, 0 on failure. The
// fallback looks each component of the path up in its directory.
DWORD LongPathOf(const char* path, char* buffer, DWORD size);

// The bytes free to this user on the drive of a root directory ("C:\")
// (GetDiskFreeSpaceExA, else GetDiskFreeSpaceA's clusters in 64-bit arithmetic;
// the systems without the first report at most 2 GB there themselves).
bool FreeBytesOf(const char* root, uint64_t& freeBytes);

// The top-level window a window belongs to (GetAncestor GA_ROOT, else its
// parents as long as it is a child).
HWND TopLevelOf(HWND window);

// Waits for one of the handles or for input (messages posted, sent or already
// queued): MsgWaitForMultipleObjectsEx with MWMO_INPUTAVAILABLE, else the
// queue's state before MsgWaitForMultipleObjects, which wakes only for input
// that arrives after the queue was last looked at. WAIT_OBJECT_0 + count means input.
DWORD WaitForHandlesOrInput(DWORD count, const HANDLE* handles, DWORD milliseconds);

// Moves a file to a name that may be taken, in the same directory, replacing
// that file (MoveFileExA, which the Windows 95 family and Win32s lack, else
// the old file is renamed aside, the new one takes its name and the old one
// goes; if that fails the old one gets its name back). false: nothing changed.
bool MoveReplacing(const char* from, const char* to);

// Has a file, or an empty directory, removed at the next start of Windows
// (MoveFileExA, else a file through WININIT.INI, which has no way for a directory).
bool RemoveAtRestart(const char* path, bool directory);

// Loads the common controls and registers their classes (InitCommonControlsEx,
// else InitCommonControls). The program does not import the library: its start
// would cost every run a tenth of the time to the first page, for controls the
// pages do not have. false: the library is missing.
bool StartCommonControls();

// Turns the input method manager off for this thread (ImmDisableIME, which
// only systems with that manager have) when no keyboard layout of the machine
// composes through it. Left on, it starts an input context and a COM apartment
// with the first window, for fields that have nothing to compose: under Wine
// that is a fifteenth of the time to the first page.
void LeaveOutInputMethod();

// For tests: every look-up fails, as on the oldest systems, so that the
// fallbacks run under a system that has all the later calls.
void HideLaterCalls(bool hidden);
