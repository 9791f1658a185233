// Command 3 from the peer's side: the FinishRequest record built from two paths, and reply 4 read.
#pragma once

#include "peerkit/PeerSession.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace peerkit
{
struct FinishRequest
{
    std::string sourcePath;      // the fetched file as it lies now
    std::string destinationPath; // where the assistant is to put it
};

// The 524-byte record; nothing when a path does not fit in its field (259 bytes and a NUL) or
// holds a NUL of its own.
std::optional<std::vector<std::uint8_t>> EncodeFinishRequest(const FinishRequest& request);

// Encodes and sends command 3; false when the record cannot be built or the work file written.
bool SendFinishRequest(CPeerSession& session, const FinishRequest& request);

// The FinishResult of a reply 4 (a Windows error number, 0 on success); nothing for any other reply.
std::optional<std::uint32_t> FinishResultOf(const Reply& reply);
} // namespace peerkit
