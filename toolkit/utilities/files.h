#pragma once
// Block file access by handle. A handle is the operating system's file
// handle as a 32-bit integer (Windows keeps handles within 32 bits, also in
// 64-bit processes); -1 means no file.

#include <cstdint>
#include <string_view>

enum : int32_t {
    kFileRead = 0,       // an existing file, for reading
    kFileCreate = 1,     // created or emptied, for writing
    kFileReadWrite = 2,  // an existing file, for reading and writing
};

enum : int32_t { kSeekStart = 0, kSeekCurrent = 1, kSeekEnd = 2 };

void QFileOpen(std::string_view name, int32_t mode, int32_t& handle);
void QFileSeek(int32_t handle, int32_t& offset, int32_t origin);
void QFileClose(int32_t handle);
