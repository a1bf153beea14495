// Environment values in the registry (NT family).
#include <windows.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

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

constexpr std::array<const char*, 5> kMachineEnvironment = {"SYSTEM", "CurrentControlSet", "Control",
                                                           "Session Manager", "Environment"};

}  // namespace

void SetEnvironmentValue(int32_t& status, const char* name, int32_t, const char* value, int32_t)
{
    std::array<char, 257> user{};
    DWORD size = static_cast<DWORD>(user.size());
    if (!GetUserNameA(user.data(), &size)) user[0] = '\0';

    // Opened one below the other and closed in reverse order.
    std::vector<std::unique_ptr<RegistryKey>> keys;
    if (IsMachineEnvironmentUser(user.data())) {
        HKEY parent = HKEY_LOCAL_MACHINE;
        for (std::size_t i = 0; i < kMachineEnvironment.size(); ++i) {
            const REGSAM access = i + 1 < kMachineEnvironment.size() ? KEY_READ : KEY_WRITE;
            keys.push_back(std::make_unique<RegistryKey>(parent, kMachineEnvironment[i], access));
            parent = keys.back()->get();
        }
    } else {
        keys.push_back(std::make_unique<RegistryKey>(HKEY_CURRENT_USER, "Environment", KEY_WRITE));
    }
    status = static_cast<int32_t>(RegSetValueExA(keys.back()->get(), name, 0, REG_EXPAND_SZ,
                                                 reinterpret_cast<const BYTE*>(value),
                                                 static_cast<DWORD>(std::strlen(value) + 1)));
    while (!keys.empty()) keys.pop_back();
}

void AnnounceEnvironmentChange()
{
    // Programs that read the environment from the registry (the shell) take
    // the new values without a restart; a hung window does not hold us up.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"),
                        SMTO_ABORTIFHUNG, 5000, &result);
}
