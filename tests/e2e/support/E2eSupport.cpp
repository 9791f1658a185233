#include "tests/e2e/support/E2eSupport.h"

namespace e2e
{
namespace
{
constexpr const char* kAppDefaultsKey = "Software\\Wine\\AppDefaults\\KavoDownloadAssistant.exe";
}

CXpModeScope::CXpModeScope()
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaultsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) == ERROR_SUCCESS)
    {
        static const char version[] = "winxp";
        ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof version);
        ::RegCloseKey(key);
    }
}

CXpModeScope::~CXpModeScope()
{
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaultsKey);
}
} // namespace e2e
