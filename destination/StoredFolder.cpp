#include "destination/StoredFolder.h"

#include "destination/ItemIdList.h"
#include "destination/ItemIdListBytes.h"
#include "destination/ItemIdListHolder.h"
#include "environment/SettingsStore.h"
#include "framework/Exceptions.h"

#include <algorithm>
#include <vector>

void ReadStoredFolder(const SettingsNames& names, ItemIdListHolder& holder) noexcept
{
    RunAtEdge([&] {
        const char* company = names.companyName.c_str();
        const char* product = names.productName.c_str();
        DWORD size = 0;
        if (!ReadSettingValue(company, product, kDownloadedFilesPathValue, nullptr, &size) || size == 0)
            return;
        std::vector<BYTE> bytes(size);
        DWORD read = size;
        if (!ReadSettingValue(company, product, kDownloadedFilesPathValue, bytes.data(), &read))
            return;
        // The value comes from outside: only a list that ends inside what was read is used.
        if (MeasureItemIdList(bytes.data(), std::min<DWORD>(read, size)) == 0)
            return;
        holder.Set(reinterpret_cast<LPCITEMIDLIST>(bytes.data()));
    });
}

bool StoreFolder(const SettingsNames& names, LPCITEMIDLIST list) noexcept
{
    if (!list)
        return false;
    return WriteSettingValue(names.companyName.c_str(), names.productName.c_str(), kDownloadedFilesPathValue,
                             reinterpret_cast<const BYTE*>(list), GetItemIdListSize(list));
}
