#include "peer/AttachRequest.h"

#include "peer/Protocol.h"
#include "peer/Records.h"
#include "peer/WorkFile.h"

std::optional<AttachRequest> DecodeAttachRequest(const std::vector<std::uint8_t>& payload)
{
    if (payload.size() < protocol::kAttachRequestSize)
        return std::nullopt;
    AttachRequest request;
    request.peerWindow = ReadUInt32(payload.data(), 4);
    request.replyWindow = ReadUInt32(payload.data(), 8);
    return request;
}
