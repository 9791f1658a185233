// A peer for the download-request tests: starts the assistant, attaches (optionally with a
// PeerWindow that is a popup owned by a separate top-level window, the peer's "top ancestor"),
// sends command 2 and drives the dialog through the peer kit.
#pragma once

#include "peerkit/DialogDriver.h"
#include "peerkit/PeerSession.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e
{
constexpr DWORD kDialogTimeoutMs = 15000;
constexpr DWORD kReplyTimeoutMs = 15000;

class CDownloadSession
{
  public:
    explicit CDownloadSession(peerkit::SessionOptions options = peerkit::SessionOptions(),
                              bool ownedPeerWindow = false);
    ~CDownloadSession();
    CDownloadSession(const CDownloadSession&) = delete;
    CDownloadSession& operator=(const CDownloadSession&) = delete;

    // Launches the assistant and attaches; false when either fails.
    bool Start();
    // Sends a request with no entries and the caption, and waits for its dialog (null if none).
    HWND Request(const std::string& caption);
    bool Send(const std::vector<std::uint8_t>& record);

    // Whether the dialog opened on the desktop or on path; both change the selection.
    bool OpensOnDesktop(HWND dialog);
    bool OpensOn(HWND dialog, const std::string& path);
    void ChooseAndPressOk(HWND dialog, const std::string& path);

    // Reply 2 with ResumeFlag 0, then reply 3 with path and its NUL.
    ::testing::AssertionResult ExpectAccepted(const std::string& path);
    // Reply 3 alone, without data.
    ::testing::AssertionResult ExpectAbandoned();

    peerkit::CPeerSession& Peer() { return m_session; }
    peerkit::CDialogDriver& Driver() { return m_driver; }
    HWND TopAncestor() const { return m_topWindow; }

  private:
    HWND m_topWindow = nullptr;
    HWND m_ownedPeerWindow = nullptr;
    peerkit::CPeerSession m_session;
    peerkit::CDialogDriver m_driver;
};

// The item-id list of path as the shell parses it, byte for byte.
std::vector<BYTE> ParsedItemIdList(const std::string& path);

// Registry access below HKEY_CURRENT_USER for the checks.
std::optional<std::vector<BYTE>> ReadBinaryValue(const std::string& subkey, const char* valueName);
bool WriteBinaryValue(const std::string& subkey, const char* valueName, const std::vector<BYTE>& bytes);
bool KeyExists(const std::string& subkey);
void DeleteKeyTree(const std::string& subkey);
} // namespace e2e
