#pragma once
// What the installer and the uninstaller read and change of the machine for
// the record of an installation: a file's size and time, registry keys and
// values under the roots the record names (HKCR, HKCU, HKLM).

#include <cstdint>
#include <string>

#include "system/undo_record.h"

// False when there is no such file.
bool FileState(const std::string& path, uint64_t& size, uint64_t& time);

bool RegistryKeyExists(const std::string& root, const std::string& key);
// No subkeys and no values.
bool RegistryKeyEmpty(const std::string& root, const std::string& key);
bool DeleteRegistryKey(const std::string& root, const std::string& key);
RegistryData ReadRegistryValue(const std::string& root, const std::string& key, const std::string& name);
// Sets the value, or deletes it when data is not present; the key is made
// when it is not there.
bool WriteRegistryValue(const std::string& root, const std::string& key, const std::string& name,
                        const RegistryData& data);
