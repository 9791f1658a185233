#include "peerkit/FinishPolicySetting.h"

#include "framework/Handle.h"

namespace peerkit
{
namespace
{
const char* SubkeyOf(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? kMachinePolicyKey : kUserSettingsKey;
}
} // namespace

bool WriteUserFinishPolicy(DWORD level)
{
    CRegKey key;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, kUserSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                                  nullptr);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExA(key.Get(), kFinishPolicyValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&level),
                                sizeof level);
    SetLastError(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

std::optional<DWORD> ReadFinishPolicyUnder(HKEY root)
{
    // RegGetValueA is missing from 32-bit Windows XP, where peers run too.
    CRegKey key;
    if (RegOpenKeyExA(root, SubkeyOf(root), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    LONG status =
        RegQueryValueExA(key.Get(), kFinishPolicyValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

DWORD EffectiveFinishPolicy()
{
    std::optional<DWORD> value = ReadFinishPolicyUnder(HKEY_LOCAL_MACHINE);
    if (!value)
        value = ReadFinishPolicyUnder(HKEY_CURRENT_USER);
    return value && (*value == 1 || *value == 2) ? *value : 0;
}
} // namespace peerkit
