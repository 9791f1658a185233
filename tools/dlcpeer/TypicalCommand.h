// dlcpeer's typical download: a content list that records one partly fetched file, command 2 for
// three contents, the user's answers, then each content "fetched" into the work folder and placed
// with command 3.
#pragma once

#include "tools/dlcpeer/DownloadCommand.h"

#include <string>

namespace peerkit
{
struct TypicalOptions
{
    // Chosen for the user, who also answers every question; empty: whoever sits at the display
    // answers. A file of the second content is put there first, so that it already exists.
    std::string folder;
    // Tried first by the scripted user, so that the warning about it shows; may be empty.
    std::string unwritable;
    // Pause at each dialog for a screenshot: print "@@shot NAME LEFT TOP WIDTH HEIGHT" and read a
    // line from standard input before going on.
    bool screenshots = false;
};

// Done once every content has been placed; stops at the first content that could not be.
Outcome RunTypicalDownload(CPeerSession& session, const TypicalOptions& options, ReplyPrinter print);
} // namespace peerkit
