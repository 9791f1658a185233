#include "environment/FinishPolicy.h"

#include "framework/Handle.h"

#include <windows.h>

#include <optional>

namespace
{
constexpr const char* kValueName = "FinishPolicy";

std::optional<DWORD> ReadDword(HKEY root, const std::string& subkey)
{
    CRegKey key;
    if (::RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
    {
        key.Release(); // a failed open leaves no key to close
        return std::nullopt;
    }
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExA(key.Get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}
} // namespace

FinishPolicy ReadFinishPolicy(const std::string& companyName, const std::string& productName)
{
    const std::string tail = companyName + "\\" + productName;
    std::optional<DWORD> value = ReadDword(HKEY_LOCAL_MACHINE, "Software\\Policies\\" + tail);
    if (!value)
        value = ReadDword(HKEY_CURRENT_USER, "Software\\" + tail);
    if (value == 1u)
        return FinishPolicy::PlainForms;
    if (value == 2u)
        return FinishPolicy::ChosenFolders;
    return FinishPolicy::AsNamed;
}
