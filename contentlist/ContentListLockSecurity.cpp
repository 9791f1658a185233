#include "contentlist/NullDaclSecurity.h"

// A descriptor that cannot be initialised leaves a mutex with default security, which still works
// within one account; the results are therefore not checked.
CNullDaclSecurity::CNullDaclSecurity() noexcept : m_descriptor(), m_attributes()
{
    ::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&m_descriptor, TRUE, nullptr, FALSE);
    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
}
