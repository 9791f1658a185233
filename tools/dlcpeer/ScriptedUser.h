// The one scripted user: plays the user in the assistant's folder dialog and message boxes, one at
// a time, for dlcpeer's commands and for the end-to-end tests. Narrated, it prints what it sees and
// does, and may pause at a window for a screenshot.
#pragma once

#include "peerkit/PeerSession.h"
#include "tools/dlcpeer/DialogDriver.h"

#include <optional>
#include <string>

namespace peerkit
{
class CScriptedUser
{
  public:
    enum class Narration
    {
        Silent,
        Printed,
        // Printed, and at each named window "@@shot NAME LEFT TOP WIDTH HEIGHT", then a line read
        // from standard input before going on.
        PrintedWithScreenshots,
    };
    enum class Shown
    {
        Nothing,
        FolderDialog,
        MessageBox,
        Reply,
    };
    // "the folder dialog" and the like, for narration and failures.
    static const char* NameOf(Shown shown);
    // Closing a visible window alone takes about 2 s under Wine with Xvfb.
    static constexpr DWORD kShowTimeoutMs = 20000;

    CScriptedUser(CPeerSession& session, Narration narration) : m_session(session), m_narration(narration) {}

    // Once the window acted on before has gone: whichever of a message box, the folder dialog or a
    // reply comes first. The reply is kept for Reply().
    Shown Next(const char* shotName = nullptr);
    // Next, narrated as a failure when it is not the window expected.
    bool NextIs(Shown expected, const char* shotName = nullptr);

    // In the folder dialog: path selected and OK pressed; Cancel when it cannot be selected, so that
    // no other folder is ever accepted for the user.
    bool Choose(const std::string& path, const char* shotName = nullptr);
    void Cancel();
    // In a message box: the button with that id pressed.
    void Answer(int button);

    HWND Window() const { return m_hWindow; }
    const std::optional<Reply>& LastReply() const { return m_reply; }
    CDialogDriver Driver() const { return CDialogDriver(m_session.ProcessId()); }

  private:
    void Say(const char* what, const std::string& text = std::string(), const char* after = nullptr) const;
    void Shot(const char* name);

    CPeerSession& m_session;
    Narration m_narration;
    HWND m_hWindow = nullptr;
    std::optional<Reply> m_reply;
};
} // namespace peerkit
