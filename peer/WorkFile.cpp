#include "peer/WorkFile.h"

#include "peer/Protocol.h"
#include "peer/Records.h"

DecodedWorkFile DecodeWorkFile(const std::uint8_t* bytes, std::size_t size, bool whole)
{
    DecodedWorkFile decoded;
    // A short file leaves the missing high-order bytes of the code 0.
    for (std::size_t i = 0; i < size && i < 4; ++i)
        decoded.commandCode |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);

    if (decoded.commandCode < protocol::kCommandAttach || decoded.commandCode > protocol::kCommandFinish)
        return decoded;
    if (size < 4 || !whole || size - 4 > protocol::kMaxPayloadBytes)
    {
        decoded.action = WorkFileAction::Discard;
        return decoded;
    }
    decoded.action = WorkFileAction::Post;
    decoded.payload.assign(bytes + 4, bytes + size);
    return decoded;
}
