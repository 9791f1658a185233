// A peer that sends download requests and plays the user, one folder dialog or message box at a
// time, through the peer kit's dialog driver.
#pragma once

#include "peerkit/DialogDriver.h"
#include "peerkit/DownloadRequestBuilder.h"
#include "peerkit/PeerSession.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace e2e
{
class CDialogPeer
{
  public:
    explicit CDialogPeer(peerkit::WorkFolderKind workFolder = peerkit::WorkFolderKind::Automatic);
    CDialogPeer(const CDialogPeer&) = delete;
    CDialogPeer& operator=(const CDialogPeer&) = delete;

    bool Start();
    bool Send(const peerkit::CDownloadRequestBuilder& request);

    // What the assistant shows next (or replies), once the previous window has gone.
    ::testing::AssertionResult NextIsFolderDialog();
    ::testing::AssertionResult NextIsMessageBox();
    ::testing::AssertionResult NextIsReply();

    // In the folder dialog just seen: chooses path and presses OK, or cancels.
    void Choose(const std::string& path);
    void Cancel();
    // The message box just seen, and the answer given to it.
    HWND Box() const { return m_hWindow; }
    void Answer(int buttonId);

    // Reply 2 with resumeFlag, then reply 3 with path; nothing shown in between.
    ::testing::AssertionResult ExpectAccepted(const std::string& path, std::uint32_t resumeFlag);
    // Reply 3 alone, without data.
    ::testing::AssertionResult ExpectAbandoned();

    peerkit::CPeerSession& Session() { return m_session; }

  private:
    enum class Shown
    {
        Nothing,
        FolderDialog,
        MessageBox,
        Reply,
    };
    Shown WaitForNext();
    ::testing::AssertionResult Expect(Shown expected);

    peerkit::CPeerSession m_session;
    peerkit::CDialogDriver m_driver;
    HWND m_hWindow = nullptr;
    std::optional<peerkit::Reply> m_reply;
};
} // namespace e2e
