// Work files that hold no command the assistant may act on, one generator per kind. None names a
// PeerWindow (that would end the assistant) and none is a whole download request (that would
// open the folder dialog).
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace soak
{
using Bytes = std::vector<std::uint8_t>;

enum class MalformedKind
{
    Empty,                // no bytes: CommandCode reads 0
    CodeZero,             // CommandCode 0 with a random tail
    CodeAboveThree,       // CommandCode 4 to 0xFFFFFFFF with a random tail
    PartialCode,          // 1 to 3 bytes whose CommandCode would be 1, 2 or 3
    Oversized,            // command 3 followed by more than the largest payload
    ShortAttach,          // command 1 with fewer than its 12 bytes
    DownloadWrongTag,     // command 2 whose SizeTag is not 1316
    DownloadShortHeader,  // command 2, SizeTag 1316, shorter than the 544-byte header
    DownloadTooManyItems, // command 2, SizeTag 1316, more entries counted than the bytes hold
    DownloadUnterminated, // command 2, SizeTag 1316, caption without its NUL
    FinishWrongTag,       // command 3 whose SizeTag is not 524
    FinishShort,          // command 3, SizeTag 524, shorter than 524 bytes
};

// Left in place by the assistant (no command), rather than deleted.
bool StaysInPlace(MalformedKind kind);

// The whole work file, CommandCode included.
Bytes MalformedWorkFile(MalformedKind kind, std::mt19937& random);
} // namespace soak
