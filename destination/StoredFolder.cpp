#include "destination/StoredFolder.h"

#include "destination/ItemIdList.h"
#include "destination/ItemIdListBytes.h"
#include "destination/ItemIdListHolder.h"
#include "environment/SettingsStore.h"
#include "framework/Exceptions.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace
{
// The value's bytes; nothing when it is missing, empty, of another type or unreadable.
std::optional<std::vector<BYTE>> ReadBinary(HKEY key, const char* valueName)
{
    DWORD size = 0;
    if (!key || QueryBinaryValue(key, valueName, nullptr, &size) != ERROR_SUCCESS || size == 0)
        return std::nullopt;
    std::vector<BYTE> bytes(size);
    DWORD read = size;
    if (QueryBinaryValue(key, valueName, bytes.data(), &read) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(std::min<DWORD>(read, size));
    return bytes;
}
} // namespace

// Under the writable root, any low-integrity process can write the value: it counts only when the
// copy kept below HKEY_CURRENT_USER, which such processes cannot write, holds the same bytes.
void ReadStoredFolder(const SettingsNames& names, ItemIdListHolder& holder) noexcept
{
    RunAtEdge([&] {
        const char* company = names.companyName.c_str();
        const char* product = names.productName.c_str();
        bool underRoot = false;
        CRegKey key = OpenSettingsKey(company, product, &underRoot);
        std::optional<std::vector<BYTE>> bytes = ReadBinary(key.Get(), kDownloadedFilesPathValue);
        if (!bytes)
            return;
        if (underRoot)
        {
            CRegKey user = OpenUserSettingsKeyForReading(company, product);
            if (ReadBinary(user.Get(), kDownloadedFilesPathValue) != bytes)
                return;
        }
        // The value comes from outside: only a list that ends inside what was read is used.
        if (MeasureItemIdList(bytes->data(), bytes->size()) == 0)
            return;
        holder.Set(reinterpret_cast<LPCITEMIDLIST>(bytes->data()));
    });
}

bool StoreFolder(const SettingsNames& names, LPCITEMIDLIST list) noexcept
{
    if (!list)
        return false;
    bool stored = false;
    RunAtEdge([&] {
        const char* company = names.companyName.c_str();
        const char* product = names.productName.c_str();
        const auto* bytes = reinterpret_cast<const BYTE*>(list);
        const DWORD size = GetItemIdListSize(list);
        bool underRoot = false;
        CRegKey key = OpenSettingsKey(company, product, &underRoot);
        stored = key && ::RegSetValueExA(key.Get(), kDownloadedFilesPathValue, 0, REG_BINARY, bytes, size) ==
                            ERROR_SUCCESS;
        if (underRoot)
        {
            CRegKey user = OpenSettingsKeyUnder(nullptr, company, product);
            stored = user &&
                     ::RegSetValueExA(user.Get(), kDownloadedFilesPathValue, 0, REG_BINARY, bytes, size) ==
                         ERROR_SUCCESS &&
                     stored;
        }
    });
    return stored;
}
