// A placed file's security as if it had been created in its folder. A move keeps the descriptor the
// file had where it was fetched: the low-integrity label of the work folder (any low process could
// change the document later) and none of the destination folder's inherited permissions.
#pragma once

#include <string>

// The DACL becomes the folder's inherited entries alone, unprotected, and any explicit mandatory
// label goes. A failure leaves the file as it is: it is placed all the same.
void InheritFolderSecurity(const std::wstring& path) noexcept;
