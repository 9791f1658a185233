#include "environment/PlacedFileSecurity.h"

#include "environment/ProtectedMode.h"

#include <windows.h>

#include <aclapi.h>

void InheritFolderSecurity(const std::wstring& path) noexcept
{
    if (path.empty())
        return;
    // Empty lists: no explicit entry is kept, so only what the folder passes on remains.
    ACL emptyDacl = {};
    ACL emptySacl = {};
    if (!::InitializeAcl(&emptyDacl, sizeof emptyDacl, ACL_REVISION) ||
        !::InitializeAcl(&emptySacl, sizeof emptySacl, ACL_REVISION))
        return;
    // Windows XP knows no integrity labels.
    const bool labels = IsVistaOrLater();
    SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION;
    if (labels)
        what |= LABEL_SECURITY_INFORMATION;
    std::wstring name = path;
    ::SetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT, what, nullptr, nullptr, &emptyDacl,
                            labels ? &emptySacl : nullptr);
}
