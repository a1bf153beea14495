// The release build links crtdll.dll, the C runtime of the first Windows 95,
// NT 3.51 and Win32s. The C++ library was built against msvcrt.dll, and its
// random-device code (which comes along with the standard exception classes,
// though nothing here asks for a random device) names three functions that
// crtdll.dll lacks or has under other names. These stand in for them.
#include <windows.h>

#include <cerrno>

extern "C" {
int _read(int fd, void* buffer, unsigned count);
int _close(int fd);

int read(int fd, void* buffer, unsigned count) { return _read(fd, buffer, count); }

int close(int fd) { return _close(fd); }

// No system source of random numbers: a random device reports failure.
static int __cdecl NoRandomNumbers(unsigned* value)
{
    *value = 0;
    return EINVAL;
}

// The library calls it through an import pointer.
int(__cdecl* randomImport)(unsigned*) __asm__("__imp__rand_s") = NoRandomNumbers;

// The locks of the compiler's runtime (the unwinder's, thread-local storage's)
// make their semaphores with CreateSemaphoreW, which the Windows 95 family
// exports as a stub that fails. They never name one.
static HANDLE WINAPI CreateUnnamedSemaphore(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCWSTR name)
{
    if (name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateSemaphoreA(security, initial, maximum, nullptr);
}

HANDLE(WINAPI* semaphoreImport)
(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR) __asm__("__imp__CreateSemaphoreW@16") = CreateUnnamedSemaphore;
}
