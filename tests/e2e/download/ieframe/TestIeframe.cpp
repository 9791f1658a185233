// Test-only stand-in for ieframe.dll: hands out a writable registry root of the test's choosing
// (HKCU\Software\DaTestLowRoot) and counts its calls, so a test can tell that it was asked.
// Loaded only with the override ieframe=n,b and placed beside the assistant.
#include <windows.h>

namespace
{
constexpr const char* kRootKey = "Software\\DaTestLowRoot";
constexpr const char* kCounterKey = "Software\\DaTestIeframe";
constexpr const char* kCounterValue = "Calls";

void CountCall()
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kCounterKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    DWORD calls = 0;
    DWORD size = sizeof calls;
    DWORD type = 0;
    if (::RegQueryValueExA(key, kCounterValue, nullptr, &type, reinterpret_cast<BYTE*>(&calls), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        calls = 0;
    ++calls;
    ::RegSetValueExA(key, kCounterValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&calls), sizeof calls);
    ::RegCloseKey(key);
}
} // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI IEGetWriteableHKCU(HKEY* key)
{
    if (!key)
        return E_INVALIDARG;
    *key = nullptr;
    CountCall();
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kRootKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key,
                          nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    return S_OK;
}

// Present only in this stand-in: tells it apart from the system's library.
extern "C" __declspec(dllexport) DWORD WINAPI DaTestIeframeMarker()
{
    return 0x1EF4A3E;
}
