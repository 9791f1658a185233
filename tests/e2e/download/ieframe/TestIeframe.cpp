// Test-only stand-in for ieframe.dll, loaded only with the override ieframe=n,b from the system
// folder: hands out HKCU\Software\DaTestLowRoot as the writable root, creating it when asked.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT WINAPI IEGetWriteableHKCU(HKEY* key)
{
    if (!key)
        return E_INVALIDARG;
    *key = nullptr;
    return ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\DaTestLowRoot", 0, nullptr, 0,
                             KEY_READ | KEY_WRITE, nullptr, key, nullptr) == ERROR_SUCCESS
               ? S_OK
               : E_FAIL;
}
