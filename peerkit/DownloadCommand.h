// dlcpeer's download command: command 2, its folder dialog (chosen for the user when a folder is
// given, else left to whoever sits at the display) and replies 2 and 3.
#pragma once

#include "peerkit/PeerSession.h"

#include <string>

namespace peerkit
{
using ReplyPrinter = void (*)(const Reply& reply, double seconds);

// True once reply 3 has arrived (empty when the request was abandoned).
bool RunDownloadCommand(CPeerSession& session, const std::string& folder, ReplyPrinter print);
} // namespace peerkit
