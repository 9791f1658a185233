// A stored "DownloadedFilesPath" value as the registry may hold it: the measure of the list
// must stay inside the value's length and describe a well-formed list.
#include "destination/ItemIdListBytes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> value(data, data + size);
    std::size_t length = MeasureItemIdList(value.data(), value.size());
    if (length == 0)
        return 0;
    if (length > size || length < 2 || value[length - 2] != 0 || value[length - 1] != 0)
        __builtin_trap();
    // Walking the measured list by its counts lands exactly on its terminator.
    std::size_t pos = 0;
    while (value[pos] | (value[pos + 1] << 8))
        pos += static_cast<std::size_t>(value[pos] | (value[pos + 1] << 8));
    if (pos + 2 != length)
        __builtin_trap();
    return 0;
}
