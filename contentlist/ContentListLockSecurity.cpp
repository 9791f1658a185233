#include "contentlist/ContentListLockSecurity.h"

#include <sddl.h>

// Before Vista the text's label does not parse; a null DACL is all there is to give. A descriptor
// that cannot be built at all leaves a mutex with default security, which still works within one
// account; the results of the fallback are therefore not checked.
CContentListLockSecurity::CContentListLockSecurity() noexcept : m_nullDacl(), m_attributes()
{
    m_attributes.nLength = sizeof m_attributes;
    m_attributes.bInheritHandle = FALSE;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(kDescriptor, SDDL_REVISION_1, &m_labelled,
                                                                nullptr))
    {
        m_attributes.lpSecurityDescriptor = m_labelled;
        return;
    }
    m_labelled = nullptr;
    ::InitializeSecurityDescriptor(&m_nullDacl, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&m_nullDacl, TRUE, nullptr, FALSE);
    m_attributes.lpSecurityDescriptor = &m_nullDacl;
}

CContentListLockSecurity::~CContentListLockSecurity()
{
    if (m_labelled)
        ::LocalFree(m_labelled);
}
