#include "environment/FinishRequest.h"

#include "peer/Protocol.h"

#include <cstring>
#include <optional>
#include <utility>

namespace
{
constexpr std::size_t kSourceOffset = 4;
constexpr std::size_t kDestinationOffset = kSourceOffset + kFinishPathField;

std::uint32_t ReadSizeTag(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// The path in a 260-byte field up to its terminator; nothing when the field holds no terminator.
std::optional<std::string> ReadPathField(const std::uint8_t* field)
{
    const void* terminator = std::memchr(field, 0, kFinishPathField);
    if (!terminator)
        return std::nullopt;
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, static_cast<const char*>(terminator));
}

} // namespace

DecodedFinishRequest DecodeFinishRequest(const std::vector<std::uint8_t>& payload)
{
    DecodedFinishRequest decoded;
    if (payload.size() < kFinishRequestSize || ReadSizeTag(payload.data()) != protocol::kFinishRequestSizeTag)
        return decoded;
    std::optional<std::string> source = ReadPathField(payload.data() + kSourceOffset);
    std::optional<std::string> destination = ReadPathField(payload.data() + kDestinationOffset);
    decoded.decision = FinishDecision::Refuse;
    if (!source || !destination)
        decoded.refusal = kErrorFilenameExcedRange;
    else if (source->empty() || destination->empty())
        decoded.refusal = kErrorInvalidParameter;
    else
    {
        decoded.decision = FinishDecision::Place;
        decoded.request.sourcePath = std::move(*source);
        decoded.request.destinationPath = std::move(*destination);
    }
    return decoded;
}
