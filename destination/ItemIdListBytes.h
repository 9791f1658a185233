// Item-id lists as plain bytes: how much of a buffer of known length forms one whole list.
// Platform-neutral so that it can be tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>

// The length of the list at the start of bytes, its 16-bit zero terminator included, when every
// item's count lies inside size and a terminator follows the last item; else 0. Nothing at or
// beyond bytes + size is read. Bytes after the terminator are not part of the list.
std::size_t MeasureItemIdList(const std::uint8_t* bytes, std::size_t size);
