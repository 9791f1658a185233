// How far command 3 trusts the peer's two paths. An administrator's policy value overrides the
// user's; neither is ever read from the writable root, which a low-integrity peer can write.
#pragma once

#include <string>

enum class FinishPolicy
{
    AsNamed = 0,       // the paths are used exactly as the peer names them
    PlainForms = 1,    // only plain local paths (and destinations on a share)
    ChosenFolders = 2, // and the destination lies inside a folder the user chose in this process's life
};

// "FinishPolicy" under HKEY_LOCAL_MACHINE\Software\Policies\company\product when it is a REG_DWORD
// there, else under HKEY_CURRENT_USER\Software\company\product; any other type or number means
// AsNamed. Read afresh on every call. A read that fails otherwise than by a missing key or value
// throws CUserException with the system's error number: the caller refuses rather than guess.
FinishPolicy ReadFinishPolicy(const std::string& companyName, const std::string& productName);
