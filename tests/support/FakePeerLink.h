// The frame's side of the protocol for command-handler tests, recording every reply.
#pragma once

#include "peer/PeerLink.h"

#include <cstdint>
#include <vector>

namespace testfiles
{
struct SentReply
{
    DWORD code;
    std::vector<std::uint8_t> data;
    bool dataNull;
};

class CFakePeerLink final : public IPeerLink
{
  public:
    HWND PeerWindow() const override { return nullptr; }
    HWND ReplyWindow() const override { return m_hReply; }
    bool StopRequested() const override { return m_bStop; }
    HANDLE ChooserMutex() const override { return nullptr; }
    void SetOpenChooserDialog(HWND) override {}
    LRESULT SendReply(DWORD code, const void* data, DWORD size) override
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        m_replies.push_back(
            {code, std::vector<std::uint8_t>(bytes, bytes + (data ? size : 0)), data == nullptr});
        return TRUE;
    }

    HWND m_hReply = nullptr;
    bool m_bStop = false;
    std::vector<SentReply> m_replies;
};
} // namespace testfiles
