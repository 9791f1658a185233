#include "peerkit/Reply.h"

#include "peer/Protocol.h"

#include <algorithm>

namespace peerkit
{
namespace
{
std::optional<std::string> FolderOfData(const std::vector<std::uint8_t>& data)
{
    if (data.empty())
        return std::string();
    auto terminator = std::find(data.begin(), data.end(), std::uint8_t{0});
    if (terminator == data.end() || terminator == data.begin())
        return std::nullopt;
    return std::string(data.begin(), terminator);
}
} // namespace

bool ReplyWellFormed(std::uint32_t code, const std::vector<std::uint8_t>& data)
{
    switch (code)
    {
    case protocol::kReplyAttached:
        return data.empty();
    case protocol::kReplyResumeFlag:
    case protocol::kReplyFinished:
        return data.size() == 4;
    case protocol::kReplyFolder:
        return FolderOfData(data).has_value();
    default:
        return false;
    }
}

std::optional<std::string> FolderOfReply(const Reply& reply)
{
    if (reply.code != protocol::kReplyFolder)
        return std::nullopt;
    return FolderOfData(reply.data);
}
} // namespace peerkit
