#include "environment/FinishPolicy.h"

#include "framework/Exceptions.h"
#include "framework/Handle.h"

#include <windows.h>

#include <optional>

namespace
{
constexpr const char* kValueName = "FinishPolicy";

// A missing key or value is no value; so is one of another type or size. Any other failure to read
// it throws, since the value in force cannot be told then.
std::optional<DWORD> ReadDword(HKEY root, const std::string& subkey)
{
    CRegKey key;
    const LONG opened = ::RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.Put());
    if (opened != ERROR_SUCCESS)
    {
        key.Release(); // a failed open leaves no key to close
        if (opened == ERROR_FILE_NOT_FOUND)
            return std::nullopt;
        throw CUserException(static_cast<std::uint32_t>(opened));
    }
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG queried =
        ::RegQueryValueExA(key.Get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (queried == ERROR_FILE_NOT_FOUND || queried == ERROR_MORE_DATA)
        return std::nullopt;
    if (queried != ERROR_SUCCESS)
        throw CUserException(static_cast<std::uint32_t>(queried));
    if (type != REG_DWORD || size != sizeof value)
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
