#include "environment/FinishRequest.h"

#include "peer/Protocol.h"
#include "peer/Records.h"

#include <cstring>
#include <optional>
#include <utility>

namespace
{
// The path in a 260-byte field up to its terminator; nothing when the field holds no terminator.
std::optional<std::string> ReadPathField(const std::uint8_t* field)
{
    const void* terminator = std::memchr(field, 0, finishrecord::kPathField);
    if (!terminator)
        return std::nullopt;
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, static_cast<const char*>(terminator));
}
} // namespace

DecodedFinishRequest DecodeFinishRequest(const std::vector<std::uint8_t>& payload)
{
    DecodedFinishRequest decoded;
    if (payload.size() < finishrecord::kSize || ReadUInt32(payload.data(), 0) != protocol::kFinishRequestSizeTag)
        return decoded;
    std::optional<std::string> source = ReadPathField(payload.data() + finishrecord::kSourceOffset);
    std::optional<std::string> destination = ReadPathField(payload.data() + finishrecord::kDestinationOffset);
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
