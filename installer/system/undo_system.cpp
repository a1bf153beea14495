// Files and registry for the record of an installation.
#include <windows.h>

#include "system/undo_system.h"

#include <vector>

#include "utilities/later_calls.h"

namespace {

HKEY Root(const std::string& name)
{
    if (name == "HKCR") return HKEY_CLASSES_ROOT;
    if (name == "HKCU") return HKEY_CURRENT_USER;
    if (name == "HKLM") return HKEY_LOCAL_MACHINE;
    return nullptr;
}

// A registry key, closed by RegCloseKey.
class Key {
public:
    Key(const std::string& root, const std::string& key, REGSAM access)
    {
        if (!Root(root) || RegOpenKeyExA(Root(root), key.c_str(), 0, access, &h_) != ERROR_SUCCESS) h_ = nullptr;
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key()
    {
        if (h_) RegCloseKey(h_);
    }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

}  // namespace

bool FileState(const std::string& path, uint64_t& size, uint64_t& time)
{
    WIN32_FILE_ATTRIBUTE_DATA found;
    if (!FileAttributesOf(path.c_str(), found) || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    size = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    time = static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32 | found.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool RegistryKeyExists(const std::string& root, const std::string& key) { return Key(root, key, KEY_READ).get(); }

bool RegistryKeyEmpty(const std::string& root, const std::string& key)
{
    Key k(root, key, KEY_READ);
    DWORD subkeys = 0, values = 0;
    return k.get() &&
           RegQueryInfoKeyA(k.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}

bool DeleteRegistryKey(const std::string& root, const std::string& key)
{
    return Root(root) && RegDeleteKeyA(Root(root), key.c_str()) == ERROR_SUCCESS;
}

RegistryData ReadRegistryValue(const std::string& root, const std::string& key, const std::string& name)
{
    RegistryData data;
    Key k(root, key, KEY_READ);
    DWORD type = 0, size = 0;
    if (!k.get() || RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return data;
    std::vector<BYTE> bytes(size + 1);
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS) return data;
    data.present = true;
    data.type = type;
    data.bytes.assign(reinterpret_cast<const char*>(bytes.data()), size);
    return data;
}

bool WriteRegistryValue(const std::string& root, const std::string& key, const std::string& name,
                        const RegistryData& data)
{
    if (!data.present) {
        Key k(root, key, KEY_SET_VALUE);
        const LONG status = k.get() ? RegDeleteValueA(k.get(), name.c_str()) : ERROR_FILE_NOT_FOUND;
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    HKEY h = nullptr;
    if (!Root(root) ||
        RegCreateKeyExA(Root(root), key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExA(h, name.c_str(), 0, data.type, reinterpret_cast<const BYTE*>(data.bytes.data()),
                                       static_cast<DWORD>(data.bytes.size()));
    RegCloseKey(h);
    return status == ERROR_SUCCESS;
}
