// Environment values in the registry (NT family).
#include <windows.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "driver/change_record.h"
#include "system/system_lines.h"
#include "system/system_steps.h"

namespace {

// A registry key, closed by RegCloseKey.
class RegistryKey {
public:
    RegistryKey(HKEY parent, const char* name, REGSAM access)
    {
        if (RegOpenKeyExA(parent, name, 0, access, &h_) != ERROR_SUCCESS) h_ = nullptr;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey()
    {
        if (h_) RegCloseKey(h_);
    }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

constexpr std::array<const char*, 5> kMachineEnvironment = {"SYSTEM", "CurrentControlSet", "Control", "Session Manager",
                                                            "Environment"};

// The keys down to the environment of this user, or of the machine for
// Administrator; opened one below the other, closed in reverse order.
bool ForMachine()
{
    std::array<char, 257> user{};
    DWORD size = static_cast<DWORD>(user.size());
    if (!GetUserNameA(user.data(), &size)) user[0] = '\0';
    return IsMachineEnvironmentUser(user.data());
}

std::vector<std::unique_ptr<RegistryKey>> OpenEnvironment(REGSAM access)
{
    std::vector<std::unique_ptr<RegistryKey>> keys;
    if (ForMachine()) {
        HKEY parent = HKEY_LOCAL_MACHINE;
        for (std::size_t i = 0; i < kMachineEnvironment.size(); ++i) {
            const REGSAM last = i + 1 < kMachineEnvironment.size() ? KEY_READ : access;
            keys.push_back(std::make_unique<RegistryKey>(parent, kMachineEnvironment[i], last));
            parent = keys.back()->get();
        }
    } else {
        keys.push_back(std::make_unique<RegistryKey>(HKEY_CURRENT_USER, "Environment", access));
    }
    return keys;
}

void CloseInReverse(std::vector<std::unique_ptr<RegistryKey>>& keys)
{
    while (!keys.empty()) keys.pop_back();
}

}  // namespace

void SetEnvironmentValue(int32_t& status, const char* name, int32_t, const char* value, int32_t)
{
    if (ForMachine()) {
        std::string key;
        for (const char* part : kMachineEnvironment) key.append(key.empty() ? "" : "\\").append(part);
        RecordRegistryValue("HKLM", key, name, StringData(REG_EXPAND_SZ, value));
    } else {
        RecordRegistryValue("HKCU", "Environment", name, StringData(REG_EXPAND_SZ, value));
    }
    std::vector<std::unique_ptr<RegistryKey>> keys = OpenEnvironment(KEY_WRITE);
    status = static_cast<int32_t>(RegSetValueExA(keys.back()->get(), name, 0, REG_EXPAND_SZ,
                                                 reinterpret_cast<const BYTE*>(value),
                                                 static_cast<DWORD>(std::strlen(value) + 1)));
    CloseInReverse(keys);
}

bool GetEnvironmentValue(const std::string& name, std::string& value)
{
    std::vector<std::unique_ptr<RegistryKey>> keys = OpenEnvironment(KEY_READ);
    HKEY key = keys.back()->get();
    DWORD type = 0, size = 0;
    bool found = key && RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
                 (type == REG_SZ || type == REG_EXPAND_SZ);
    if (found) {
        std::vector<char> data(size + 1, '\0');
        found = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
                ERROR_SUCCESS;
        value.assign(data.data());
    }
    CloseInReverse(keys);
    return found;
}

void AnnounceEnvironmentChange()
{
    // Programs that read the environment from the registry (the shell) take
    // the new values without a restart; a hung window does not hold us up.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"), SMTO_ABORTIFHUNG,
                        5000, &result);
}
