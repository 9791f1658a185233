// The one peer of the end-to-end tests: a peer-kit session that starts the real assistant,
// attaches, sends requests and, through the scripted user, plays the user, checking each window.
#pragma once

#include "framework/Handle.h"
#include "peerkit/DownloadRequestBuilder.h"
#include "peerkit/PeerSession.h"
#include "tools/dlcpeer/ScriptedUser.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e
{
using ::testing::AssertionResult;
// Generous: a loaded 2-core machine, and closing a visible window alone takes 2 s under Wine.
constexpr DWORD kWaitMs = 20000;
// The assistant's settings lie below it; a test that lets it remember a folder removes it.
constexpr const char* kCompanyKey = "Software\\Brisel Co.,Ltd.";
using Entries = std::vector<std::pair<std::string, std::string>>; // file name, list key

// Command 3 and the FinishResult of its reply 4; nothing when no reply 4 came.
std::optional<std::uint32_t> Finish(peerkit::CPeerSession& session, const std::string& source,
                                    const std::string& destination);

// A copy of the assistant that lies beside the stand-in ieframe.dll, which hands out a writable root
// below HKEY_CURRENT_USER\Software\DaTestLowRoot; the assistant must not take it from there.
std::string LowRootAssistantPath();
constexpr const char* kLowRootKey = "Software\\DaTestLowRoot";

// The stand-in ieframe.dll in the system folder while the scope lasts, the system's own put back
// after (the test's process needs the override ieframe=n,b for Wine to load it).
class CSystemIeframeScope
{
  public:
    CSystemIeframeScope();
    ~CSystemIeframeScope();
    CSystemIeframeScope(const CSystemIeframeScope&) = delete;
    CSystemIeframeScope& operator=(const CSystemIeframeScope&) = delete;
    bool Installed() const { return m_installed; }

  private:
    std::string m_systemFile;
    std::string m_savedFile;
    bool m_installed = false;
};

// Makes Wine report Windows XP to the assistant's executable alone (a per-program override).
class CXpModeScope
{
  public:
    CXpModeScope();

  private:
    testfiles::CRegistryScope m_key;
};

class CDialogPeer
{
  public:
    // ownedPeerWindow: PeerWindow is a popup owned by a separate top-level window, TopAncestor(),
    // since closing a dialog re-enables its direct owner unconditionally under Wine.
    explicit CDialogPeer(peerkit::SessionOptions options = {}, bool ownedPeerWindow = false);
    bool Start();
    bool Request(const std::string& caption, const std::string& listPath = "", const Entries& entries = {});

    // Each step waits until the window acted on before has gone, then for the next one.
    // In the folder dialog: when opensOn is given, that it opened there ("" for the desktop); then
    // path chosen and OK pressed, or Cancel.
    AssertionResult Choose(const std::string& path, const char* opensOn = nullptr);
    AssertionResult Cancel();
    // The message box that comes next lists exactly names (its tab-indented lines), is in the
    // locale's language, under the request's caption and owned by PeerWindow; answered with answer
    // all the same. Its buttons are the conflict check's unit tests' business.
    AssertionResult Answer(std::initializer_list<std::string> names, int answer);
    const std::string& LastBoxText() const { return m_text; }
    // Reply 2 with resumeFlag, then reply 3 with path and its NUL; or reply 3 alone, without data.
    AssertionResult Accepted(const std::string& path, std::uint32_t resumeFlag = 0);
    AssertionResult Abandoned();

    peerkit::CPeerSession& Session() { return m_session; }
    HWND TopAncestor() const { return m_top.Get(); }
    // Whether TopAncestor was disabled while the last dialog or box showed.
    bool TopWasDisabled() const { return m_bTopDisabled; }

  private:
    using Shown = peerkit::CScriptedUser::Shown;
    AssertionResult Next(Shown expected);
    HWND Window() const { return m_user.Window(); }
    const std::optional<peerkit::Reply>& Reply() const { return m_user.LastReply(); }

    CWindowHandle m_top;
    CWindowHandle m_ownedPeer; // destroyed after the session has ended the assistant
    peerkit::CPeerSession m_session;
    peerkit::CScriptedUser m_user{m_session, peerkit::CScriptedUser::Narration::Silent};
    std::string m_caption;
    std::string m_text;
    bool m_bTopDisabled = false;
};
} // namespace e2e
