// Command 3's record (FinishRequest) decoded against its real length, and the comparison that
// tells whether its two paths name the same file. Platform-neutral, so it is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FinishRequest
{
    std::string sourcePath;      // the fetched file as it lies now
    std::string destinationPath; // where it is to end up
};

enum class FinishDecision
{
    Ignore, // no whole FinishRequest: no reply, nothing touched
    Refuse, // a whole record whose paths cannot be used: reply 4 with refusal, nothing touched
    Place,  // place the file and reply 4 with the outcome
};

struct DecodedFinishRequest
{
    FinishDecision decision = FinishDecision::Ignore;
    std::uint32_t refusal = 0; // Windows error number, with Refuse
    FinishRequest request;     // with Place
};

// Windows error numbers of the refusals, spelled out so that this builds natively.
constexpr std::uint32_t kErrorInvalidParameter = 87;    // an empty path
constexpr std::uint32_t kErrorFilenameExcedRange = 206; // no terminator within the 260-byte field


// Bytes after the 524-byte record are ignored; the record itself is read only within its fields.
DecodedFinishRequest DecodeFinishRequest(const std::vector<std::uint8_t>& payload);
