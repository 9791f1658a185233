#include "tests/e2e/support/DialogPeer.h"

#include "peer/Protocol.h"
#include "peerkit/FinishRequest.h"

#include <algorithm>
#include <sstream>

namespace e2e
{
namespace
{
using peerkit::CDialogDriver;
using ::testing::AssertionFailure;
using ::testing::AssertionSuccess;

// Hidden: dialogs they own still show, and hidden windows are destroyed at once under Wine.
HWND CreateTestWindow(DWORD style, HWND owner)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "DaE2eTopWindow";
    ::RegisterClassA(&wc);
    return ::CreateWindowExA(0, wc.lpszClassName, "e2e", style, 0, 0, 100, 100, owner, nullptr, wc.hInstance,
                             nullptr);
}
} // namespace

std::optional<std::uint32_t> Finish(peerkit::CPeerSession& session, const std::string& source,
                                    const std::string& destination)
{
    EXPECT_TRUE(peerkit::SendFinishRequest(session, {source, destination}));
    std::optional<peerkit::Reply> reply = session.WaitForReply(kWaitMs);
    return reply ? peerkit::FinishResultOf(*reply) : std::nullopt;
}

std::string LowRootAssistantPath()
{
    std::string path = peerkit::CPeerSession::DefaultAssistantPath();
    return path.insert(path.find_last_of('\\') + 1, "lowroot\\");
}

CSystemIeframeScope::CSystemIeframeScope()
{
    char folder[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    m_systemFile = std::string(folder) + "\\ieframe.dll";
    m_savedFile = m_systemFile + ".da-saved";
    std::string standIn = LowRootAssistantPath();
    standIn.replace(standIn.find_last_of('\\') + 1, std::string::npos, "ieframe.dll");
    if (!::MoveFileExA(m_systemFile.c_str(), m_savedFile.c_str(), MOVEFILE_REPLACE_EXISTING))
        return;
    m_installed = ::CopyFileA(standIn.c_str(), m_systemFile.c_str(), FALSE) != FALSE;
    if (!m_installed)
        ::MoveFileExA(m_savedFile.c_str(), m_systemFile.c_str(), MOVEFILE_REPLACE_EXISTING);
}

CSystemIeframeScope::~CSystemIeframeScope()
{
    if (m_installed)
        ::MoveFileExA(m_savedFile.c_str(), m_systemFile.c_str(), MOVEFILE_REPLACE_EXISTING);
}

CXpModeScope::CXpModeScope() : m_key("Software\\Wine\\AppDefaults\\KavoDownloadAssistant.exe")
{
    ::RegSetKeyValueA(HKEY_CURRENT_USER, m_key.Subkey().c_str(), "Version", REG_SZ, "winxp", 6);
}

CDialogPeer::CDialogPeer(peerkit::SessionOptions options, bool ownedPeerWindow)
    : m_session(std::move(options))
{
    if (ownedPeerWindow)
    {
        m_top.Reset(CreateTestWindow(WS_OVERLAPPEDWINDOW, nullptr));
        m_ownedPeer.Reset(CreateTestWindow(WS_POPUP, m_top.Get()));
    }
}

bool CDialogPeer::Start()
{
    HWND peer = m_ownedPeer ? m_ownedPeer.Get() : m_session.PeerWindow();
    std::optional<peerkit::Reply> reply;
    if (m_session.Launch() &&
        m_session.SendAttach(peerkit::WindowToWire(peer), peerkit::WindowToWire(m_session.ReplyWindow())))
        reply = m_session.WaitForReply(kWaitMs);
    return reply && reply->code == protocol::kReplyAttached;
}

bool CDialogPeer::Request(const std::string& caption, const std::string& listPath, const Entries& entries)
{
    peerkit::CDownloadRequestBuilder builder;
    bool built = builder.SetCaption(caption) && builder.SetListFilePath(listPath);
    for (const auto& entry : entries)
        built = built && builder.AddEntry(entry.first, entry.second);
    m_caption = caption;
    return built && m_session.SendCommand(protocol::kCommandDownload, builder.Build());
}

AssertionResult CDialogPeer::Next(Shown expected)
{
    const Shown shown = m_user.Next();
    m_bTopDisabled = m_top && !::IsWindowEnabled(m_top.Get());
    if (shown == expected)
        return AssertionSuccess();
    return AssertionFailure() << peerkit::CScriptedUser::NameOf(shown) << " came: "
                              << (Reply() ? std::to_string(Reply()->code)
                                          : CDialogDriver::MessageText(Window()));
}

AssertionResult CDialogPeer::Choose(const std::string& path, const char* opensOn)
{
    AssertionResult next = Next(Shown::FolderDialog);
    if (!next)
        return next;
    const HWND dialog = Window();
    const CDialogDriver driver = m_user.Driver();
    const std::uintptr_t opened = CDialogDriver::SelectedItem(dialog);
    const bool openedThere =
        !opensOn ||
        (opened != 0 && (*opensOn ? driver.ChooseFolder(dialog, opensOn) : driver.ChooseDesktop(dialog)) &&
         CDialogDriver::SelectedItem(dialog) == opened);
    const bool chosen = m_user.Choose(path);
    if (!openedThere || !chosen)
        return AssertionFailure() << "did not open on " << (opensOn ? opensOn : "") << " or could not choose "
                                  << path;
    return AssertionSuccess();
}

AssertionResult CDialogPeer::Cancel()
{
    AssertionResult next = Next(Shown::FolderDialog);
    if (next)
        m_user.Cancel();
    return next;
}

AssertionResult CDialogPeer::Answer(std::initializer_list<std::string> names, int answer)
{
    AssertionResult next = Next(Shown::MessageBox);
    if (!next)
        return next;
    m_text = CDialogDriver::MessageText(Window());
    std::istringstream lines(m_text);
    std::vector<std::string> listed;
    bool nonAscii = false;
    for (std::string line; std::getline(lines, line);)
    {
        if (!line.empty() && line[0] == '\t')
            listed.push_back(line.substr(1));
        else
            nonAscii =
                nonAscii || std::any_of(line.begin(), line.end(), [](char c) { return (c & 0x80) != 0; });
    }
    HWND peer = m_ownedPeer ? m_ownedPeer.Get() : m_session.PeerWindow();
    const bool right = listed == std::vector<std::string>(names) && nonAscii == (::GetACP() == 932) &&
                       CDialogDriver::Caption(Window()) == m_caption &&
                       ::GetWindow(Window(), GW_OWNER) == peer;
    m_user.Answer(answer);
    if (!right)
        return AssertionFailure() << "not the names, language, caption or owner expected: "
                                  << CDialogDriver::Caption(Window()) << "\n"
                                  << m_text;
    return AssertionSuccess();
}

AssertionResult CDialogPeer::Accepted(const std::string& path, std::uint32_t resumeFlag)
{
    std::vector<std::uint8_t> flag;
    peerkit::AppendUInt32(flag, resumeFlag);
    AssertionResult next = Next(Shown::Reply);
    if (!next || Reply()->code != protocol::kReplyResumeFlag || Reply()->data != flag)
        return AssertionFailure() << "no reply 2 with ResumeFlag " << resumeFlag << (next ? "" : ": ")
                                  << (next ? "" : next.message());
    std::optional<peerkit::Reply> folder = m_session.WaitForReply(kWaitMs);
    if (!folder || folder->code != protocol::kReplyFolder ||
        std::string(folder->data.begin(), folder->data.end()) != path + '\0')
        return AssertionFailure() << "no reply 3 with " << path << ", but "
                                  << (folder ? std::string(folder->data.begin(), folder->data.end()) : "none");
    return AssertionSuccess();
}

AssertionResult CDialogPeer::Abandoned()
{
    AssertionResult next = Next(Shown::Reply);
    if (!next || Reply()->code != protocol::kReplyFolder || !Reply()->data.empty() ||
        !Reply()->dataPointerNull)
        return AssertionFailure() << "no empty reply 3";
    return AssertionSuccess();
}
} // namespace e2e
