// A reply of the assistant as the peer kit receives it, and the rules a reply must meet before the
// kit hands it on: any process may send WM_COPYDATA to the peer's windows, so the kit takes
// nothing on trust but the shapes the assistant sends.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace peerkit
{
struct Reply
{
    std::uint32_t code = 0;
    std::vector<std::uint8_t> data;
    bool dataPointerNull = false; // lpData was null
    HWND sender = nullptr;        // wParam: the assistant's frame window
    HWND receiver = nullptr;      // the window the reply was sent to
};

// Whether the data has the size the assistant gives a reply with this code: none for reply 1,
// 4 bytes for replies 2 and 4, a terminated path or nothing for reply 3. Any other code is false.
bool ReplyWellFormed(std::uint32_t code, const std::vector<std::uint8_t>& data);

// The folder a reply 3 names, up to its terminator, which must lie inside the data; an empty text
// when the download was abandoned (no data). Nothing for another reply, or for data without a
// terminator or with an empty path.
std::optional<std::string> FolderOfReply(const Reply& reply);
} // namespace peerkit
