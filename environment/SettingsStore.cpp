#include "environment/SettingsStore.h"

#include "environment/ProtectedMode.h"
#include "framework/Exceptions.h"

std::string SettingsSubkey(const std::string& companyName, const std::string& productName, bool underRoot)
{
    std::string subkey = underRoot ? std::string() : std::string("Software\\");
    return subkey + companyName + "\\" + productName;
}

CRegKey OpenSettingsKeyUnder(HKEY root, const char* companyName, const char* productName)
{
    if (!companyName || !productName)
    {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return CRegKey();
    }
    CRegKey key;
    RunAtEdge([&] {
        std::string subkey = SettingsSubkey(companyName, productName, root != nullptr);
        LONG result = ::RegCreateKeyExA(root ? root : HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0,
                                        KEY_READ | KEY_WRITE, nullptr, key.Put(), nullptr);
        if (result != ERROR_SUCCESS)
            key.Release();
    });
    return key;
}

CRegKey OpenSettingsKey(const char* companyName, const char* productName, bool* underRoot)
{
    if (!companyName || !productName)
    {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return CRegKey();
    }
    CRegKey root;
    if (IsVistaOrLater())
        root.Reset(GetWriteableUserRoot());
    if (underRoot)
        *underRoot = static_cast<bool>(root);
    return OpenSettingsKeyUnder(root.Get(), companyName, productName);
}

CRegKey OpenUserSettingsKeyForReading(const char* companyName, const char* productName)
{
    CRegKey key;
    if (!companyName || !productName)
        return key;
    RunAtEdge([&] {
        const std::string subkey = SettingsSubkey(companyName, productName, false);
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
            key.Release();
    });
    return key;
}

LONG QueryBinaryValue(HKEY key, const char* valueName, BYTE* data, DWORD* size)
{
    DWORD type = REG_NONE;
    LONG result = ::RegQueryValueExA(key, valueName, nullptr, &type, data, size);
    if (result != ERROR_SUCCESS)
        return result;
    return type == REG_BINARY ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}
