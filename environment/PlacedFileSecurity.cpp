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
    // Two calls, the DACL first: a label we may not drop (that takes WRITE_OWNER, which the folder's
    // entries usually grant) must not keep the folder's permissions from the file as well.
    // Windows XP knows no integrity labels.
    std::wstring name = path;
    ::SetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, &emptyDacl, nullptr);
    if (IsVistaOrLater())
        ::SetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT, LABEL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                &emptySacl);
}
