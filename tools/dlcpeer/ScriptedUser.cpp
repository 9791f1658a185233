#include "tools/dlcpeer/ScriptedUser.h"

#include <cstdio>

namespace peerkit
{
namespace
{
void PrintText(const std::string& text)
{
    std::string line;
    for (char c : text + "\n")
    {
        if (c != '\n')
        {
            line += c == '\t' ? std::string("    ") : std::string(1, c);
            continue;
        }
        std::printf("           | %s\n", line.c_str());
        line.clear();
    }
}
} // namespace

const char* CScriptedUser::NameOf(Shown shown)
{
    const char* names[] = {"nothing", "the folder dialog", "a message box", "a reply"};
    return names[static_cast<int>(shown)];
}

CScriptedUser::Shown CScriptedUser::Next(const char* shotName)
{
    const CDialogDriver driver = Driver();
    if (m_hWindow)
        driver.WaitUntilGone(m_hWindow, kShowTimeoutMs);
    m_hWindow = nullptr;
    m_reply.reset();
    Shown shown = Shown::Nothing;
    // GetTickCount, not GetTickCount64, which Windows XP lacks; the difference survives a wrap.
    for (const DWORD start = ::GetTickCount();
         shown == Shown::Nothing && ::GetTickCount() - start < kShowTimeoutMs;)
    {
        if ((m_hWindow = driver.FindMessageBox()) != nullptr)
            shown = Shown::MessageBox;
        else if ((m_hWindow = driver.FindFolderDialog()) != nullptr)
            shown = Shown::FolderDialog;
        else if ((m_reply = m_session.WaitForReply(20)))
            shown = Shown::Reply;
    }
    if (m_hWindow)
    {
        Say(shown == Shown::MessageBox ? "message box" : "folder dialog", CDialogDriver::Caption(m_hWindow));
        if (shown == Shown::MessageBox && m_narration != Narration::Silent)
            PrintText(CDialogDriver::MessageText(m_hWindow));
        Shot(shotName);
    }
    return shown;
}

bool CScriptedUser::NextIs(Shown expected, const char* shotName)
{
    const Shown shown = Next(shotName);
    if (shown != expected && m_narration != Narration::Silent)
        std::printf("expected %s, but %s came\n", NameOf(expected), NameOf(shown));
    return shown == expected;
}

bool CScriptedUser::Choose(const std::string& path, const char* shotName)
{
    Say("the user selects", path, "and presses OK");
    const bool chosen = Driver().ChooseFolder(m_hWindow, path);
    if (!chosen && m_narration != Narration::Silent)
        std::printf("cannot select %s in the dialog\n", path.c_str());
    if (!chosen)
    {
        CDialogDriver::PressCancel(m_hWindow);
        return false;
    }
    Shot(shotName);
    CDialogDriver::PressOk(m_hWindow);
    return true;
}

void CScriptedUser::Cancel()
{
    Say("the user presses Cancel");
    CDialogDriver::PressCancel(m_hWindow);
}

void CScriptedUser::Answer(int button)
{
    Say(button == IDYES  ? "the user answers Yes"
        : button == IDNO ? "the user answers No"
                         : "the user presses OK");
    CDialogDriver::Answer(m_hWindow, button);
}

void CScriptedUser::Say(const char* what, const std::string& text, const char* after) const
{
    if (m_narration == Narration::Silent)
        return;
    std::printf("[%6.2f s] %s", m_session.SecondsSinceLaunch(), what);
    if (!text.empty())
        std::printf(" \"%s\"", text.c_str());
    if (after)
        std::printf(" %s", after);
    std::printf("\n");
    std::fflush(stdout);
}

// The window has just become visible; give it a moment to paint before the picture is taken.
void CScriptedUser::Shot(const char* name)
{
    if (m_narration != Narration::PrintedWithScreenshots || !name)
        return;
    CDialogDriver::Pump(500);
    RECT rect = {};
    ::GetWindowRect(m_hWindow, &rect);
    std::printf("@@shot %s %ld %ld %ld %ld\n", name, static_cast<long>(rect.left), static_cast<long>(rect.top),
                static_cast<long>(rect.right - rect.left), static_cast<long>(rect.bottom - rect.top));
    std::fflush(stdout);
    char reply[16];
    if (!std::fgets(reply, sizeof reply, stdin))
        m_narration = Narration::Printed;
}
} // namespace peerkit
