// Command 1's record: the peer's window and the window that receives every reply.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct AttachRequest
{
    std::uint32_t peerWindow = 0;  // 32-bit HWND
    std::uint32_t replyWindow = 0; // 32-bit HWND
};

// Nothing when the payload is shorter than the 12-byte record.
std::optional<AttachRequest> DecodeAttachRequest(const std::vector<std::uint8_t>& payload);
