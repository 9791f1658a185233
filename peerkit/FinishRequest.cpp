#include "peerkit/FinishRequest.h"

#include "peer/Protocol.h"
#include "peer/Records.h"

#include <algorithm>

namespace peerkit
{
namespace
{
bool FitsInField(const std::string& path)
{
    return path.size() < finishrecord::kPathField && path.find('\0') == std::string::npos;
}

void AppendPathField(std::vector<std::uint8_t>& bytes, const std::string& path)
{
    std::size_t start = bytes.size();
    bytes.resize(start + finishrecord::kPathField, 0);
    std::copy(path.begin(), path.end(), bytes.begin() + static_cast<std::ptrdiff_t>(start));
}
} // namespace

std::optional<std::vector<std::uint8_t>> EncodeFinishRequest(const FinishRequest& request)
{
    if (!FitsInField(request.sourcePath) || !FitsInField(request.destinationPath))
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    AppendUInt32(bytes, protocol::kFinishRequestSizeTag);
    AppendPathField(bytes, request.sourcePath);
    AppendPathField(bytes, request.destinationPath);
    return bytes;
}

bool SendFinishRequest(CPeerSession& session, const FinishRequest& request)
{
    std::optional<std::vector<std::uint8_t>> record = EncodeFinishRequest(request);
    return record && session.SendCommand(protocol::kCommandFinish, *record);
}

std::optional<std::uint32_t> FinishResultOf(const Reply& reply)
{
    if (reply.code != protocol::kReplyFinished || reply.data.size() != 4)
        return std::nullopt;
    return ReadUInt32(reply.data.data(), 0);
}
} // namespace peerkit
