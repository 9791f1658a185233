#include "destination/ItemIdListBytes.h"

namespace
{
constexpr std::size_t kCountBytes = 2;
}

std::size_t MeasureItemIdList(const std::uint8_t* bytes, std::size_t size)
{
    if (!bytes)
        return 0;
    std::size_t offset = 0;
    while (size - offset >= kCountBytes)
    {
        std::size_t count = bytes[offset] | (static_cast<std::size_t>(bytes[offset + 1]) << 8);
        if (count == 0)
            return offset + kCountBytes;
        // An item's count includes its own two bytes; a smaller one would not advance the walk whole.
        if (count < kCountBytes || count > size - offset)
            return 0;
        offset += count;
    }
    return 0;
}
