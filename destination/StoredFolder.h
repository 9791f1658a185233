// The folder remembered between requests: the item-id list in the settings value
// "DownloadedFilesPath", byte for byte.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

class ItemIdListHolder;

constexpr const char* kDownloadedFilesPathValue = "DownloadedFilesPath";

// The two names that form the settings key.
struct SettingsNames
{
    std::string companyName;
    std::string productName;
};

// Sets holder to the stored list when the value holds a whole one; leaves it untouched when the
// value is missing, not binary, unreadable or not a well-formed list within its length.
void ReadStoredFolder(const SettingsNames& names, ItemIdListHolder& holder) noexcept;

// Stores the list with GetItemIdListSize bytes; false when it could not be written.
bool StoreFolder(const SettingsNames& names, LPCITEMIDLIST list) noexcept;
