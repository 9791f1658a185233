#include "tests/e2e/support/DialogPeer.h"

#include "peer/Protocol.h"

namespace e2e
{
namespace
{
// Generous: closing a visible window alone takes about 2 s under Wine with Xvfb.
constexpr DWORD kShowTimeoutMs = 20000;
constexpr DWORD kPollMs = 20;

std::string ReplyText(const peerkit::Reply& reply)
{
    return std::string(reply.data.begin(), reply.data.end());
}

// For a failure message: the folder of a reply 3 that follows an unexpected reply 2.
std::string Describe(const std::optional<peerkit::Reply>& reply)
{
    if (!reply || reply->code != protocol::kReplyFolder)
        return std::string();
    return ", then reply 3 with \"" + std::string(ReplyText(*reply).c_str()) + "\"";
}
} // namespace

CDialogPeer::CDialogPeer(peerkit::WorkFolderKind workFolder)
    : m_session([workFolder] {
          peerkit::SessionOptions options;
          options.workFolder = workFolder;
          return options;
      }()),
      m_driver(0)
{
}

bool CDialogPeer::Start()
{
    if (!m_session.Launch())
        return false;
    m_driver = peerkit::CDialogDriver(m_session.ProcessId());
    std::optional<peerkit::Reply> reply = m_session.Attach(5000);
    return reply && reply->code == protocol::kReplyAttached;
}

bool CDialogPeer::Send(const peerkit::CDownloadRequestBuilder& request)
{
    return m_session.SendCommand(protocol::kCommandDownload, request.Build());
}

CDialogPeer::Shown CDialogPeer::WaitForNext()
{
    if (m_hWindow)
        m_driver.WaitUntilGone(m_hWindow, kShowTimeoutMs);
    m_hWindow = nullptr;
    m_reply.reset();
    const ULONGLONG deadline = ::GetTickCount64() + kShowTimeoutMs;
    while (::GetTickCount64() < deadline)
    {
        if ((m_hWindow = m_driver.FindMessageBox()) != nullptr)
            return Shown::MessageBox;
        if ((m_hWindow = m_driver.FindFolderDialog()) != nullptr)
            return Shown::FolderDialog;
        if ((m_reply = m_session.WaitForReply(kPollMs)))
            return Shown::Reply;
    }
    return Shown::Nothing;
}

::testing::AssertionResult CDialogPeer::Expect(Shown expected)
{
    Shown shown = WaitForNext();
    if (shown == expected)
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    switch (shown)
    {
    case Shown::FolderDialog:
        return failure << "the folder dialog came";
    case Shown::MessageBox:
        return failure << "a message box came: " << peerkit::CDialogDriver::MessageText(m_hWindow);
    case Shown::Reply:
        return failure << "reply " << m_reply->code << " came"
                       << Describe(m_session.WaitForReply(kShowTimeoutMs));
    default:
        return failure << "nothing came";
    }
}

::testing::AssertionResult CDialogPeer::NextIsFolderDialog()
{
    return Expect(Shown::FolderDialog);
}

::testing::AssertionResult CDialogPeer::NextIsMessageBox()
{
    return Expect(Shown::MessageBox);
}

::testing::AssertionResult CDialogPeer::NextIsReply()
{
    return Expect(Shown::Reply);
}

void CDialogPeer::Choose(const std::string& path)
{
    EXPECT_TRUE(m_driver.ChooseFolder(m_hWindow, path)) << path;
    peerkit::CDialogDriver::PressOk(m_hWindow);
}

void CDialogPeer::Cancel()
{
    peerkit::CDialogDriver::PressCancel(m_hWindow);
}

void CDialogPeer::Answer(int buttonId)
{
    peerkit::CDialogDriver::Answer(m_hWindow, buttonId);
}

::testing::AssertionResult CDialogPeer::ExpectAccepted(const std::string& path, std::uint32_t resumeFlag)
{
    ::testing::AssertionResult next = NextIsReply();
    if (!next)
        return next << " instead of reply 2";
    std::vector<std::uint8_t> flag;
    peerkit::AppendUInt32(flag, resumeFlag);
    if (m_reply->code != protocol::kReplyResumeFlag || m_reply->data != flag)
    {
        std::uint32_t got = m_reply->data.size() == 4 ? m_reply->data[0] : 0xFFFFFFFF;
        return ::testing::AssertionFailure() << "expected reply 2 with ResumeFlag " << resumeFlag
                                             << ", got reply " << m_reply->code << " with " << got;
    }
    std::optional<peerkit::Reply> folder = m_session.WaitForReply(kShowTimeoutMs);
    if (!folder || folder->code != protocol::kReplyFolder || ReplyText(*folder) != path + '\0')
        return ::testing::AssertionFailure() << "expected reply 3 with " << path;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult CDialogPeer::ExpectAbandoned()
{
    ::testing::AssertionResult next = NextIsReply();
    if (!next)
        return next << " instead of the empty reply 3";
    if (m_reply->code != protocol::kReplyFolder || !m_reply->data.empty() || !m_reply->dataPointerNull)
        return ::testing::AssertionFailure() << "expected the empty reply 3, got reply " << m_reply->code;
    return ::testing::AssertionSuccess();
}
} // namespace e2e
