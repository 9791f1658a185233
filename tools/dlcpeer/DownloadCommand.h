// dlcpeer's download command: command 2, its folder dialog (chosen for the user when a folder is
// given, else left to whoever sits at the display) and replies 2 and 3; and command 3 with reply 4,
// which every placing command shares.
#pragma once

#include "peerkit/FinishRequest.h"
#include "peerkit/PeerSession.h"

#include <string>

namespace peerkit
{
using ReplyPrinter = void (*)(const Reply& reply, double seconds);

// How a command ended; dlcpeer exits with the value, and its help lists them.
enum class Outcome : int
{
    Done = 0,
    Failed = 1, // anything else: the assistant not started or not ended cleanly, a dialog missing
    Usage = 2,
    FinishFailed = 3, // command 3 refused by the assistant or not sent
    NoReply = 4,
    Abandoned = 5, // the user gave the download up: reply 3 without a folder
};

// Done once reply 3 has arrived with a folder.
Outcome RunDownloadCommand(CPeerSession& session, const std::string& folder, ReplyPrinter print);

// Command 3 and its reply 4, whose Windows error number is printed when it is not 0.
Outcome RunFinishCommand(CPeerSession& session, const FinishRequest& request, ReplyPrinter print);
} // namespace peerkit
