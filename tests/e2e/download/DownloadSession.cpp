#include "tests/e2e/download/DownloadSession.h"

#include "peerkit/DownloadRequestBuilder.h"

#include <shlobj.h>

namespace e2e
{
namespace
{
constexpr const char* kWindowClass = "DaDownloadTestWindow";

HWND CreateTestWindow(DWORD style, HWND owner)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    ::RegisterClassA(&wc);
    // Hidden: dialogs they own still show, and hidden windows are destroyed at once under Wine.
    return ::CreateWindowExA(0, kWindowClass, "download test", style, 0, 0, 100, 100, owner, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

std::string ReplyText(const peerkit::Reply& reply)
{
    return std::string(reply.data.begin(), reply.data.end());
}
} // namespace

CDownloadSession::CDownloadSession(peerkit::SessionOptions options, bool ownedPeerWindow)
    : m_session(std::move(options)), m_driver(0)
{
    if (ownedPeerWindow)
    {
        m_topWindow = CreateTestWindow(WS_OVERLAPPEDWINDOW, nullptr);
        m_ownedPeerWindow = CreateTestWindow(WS_POPUP, m_topWindow);
    }
}

CDownloadSession::~CDownloadSession()
{
    if (m_session.IsRunning())
    {
        m_session.SignalQuit();
        m_session.WaitForExit(10000);
    }
    if (m_ownedPeerWindow)
        ::DestroyWindow(m_ownedPeerWindow);
    if (m_topWindow)
        ::DestroyWindow(m_topWindow);
}

bool CDownloadSession::Start()
{
    if (!m_session.Launch())
        return false;
    m_driver = peerkit::CDialogDriver(m_session.ProcessId());
    HWND peer = m_ownedPeerWindow ? m_ownedPeerWindow : m_session.PeerWindow();
    if (!m_session.SendAttach(peerkit::WindowToWire(peer), peerkit::WindowToWire(m_session.ReplyWindow())))
        return false;
    std::optional<peerkit::Reply> reply = m_session.WaitForReply(kReplyTimeoutMs);
    return reply && reply->code == 1;
}

bool CDownloadSession::Send(const std::vector<std::uint8_t>& record)
{
    return m_session.SendCommand(2, record);
}

HWND CDownloadSession::Request(const std::string& caption)
{
    peerkit::CDownloadRequestBuilder builder;
    if (!builder.SetCaption(caption) || !Send(builder.Build()))
        return nullptr;
    return m_driver.WaitForFolderDialog(kDialogTimeoutMs);
}

bool CDownloadSession::OpensOnDesktop(HWND dialog)
{
    std::uintptr_t opened = peerkit::CDialogDriver::SelectedItem(dialog);
    return opened != 0 && m_driver.ChooseDesktop(dialog) &&
           peerkit::CDialogDriver::SelectedItem(dialog) == opened;
}

bool CDownloadSession::OpensOn(HWND dialog, const std::string& path)
{
    std::uintptr_t opened = peerkit::CDialogDriver::SelectedItem(dialog);
    return opened != 0 && m_driver.ChooseFolder(dialog, path) &&
           peerkit::CDialogDriver::SelectedItem(dialog) == opened;
}

void CDownloadSession::ChooseAndPressOk(HWND dialog, const std::string& path)
{
    EXPECT_TRUE(m_driver.ChooseFolder(dialog, path));
    peerkit::CDialogDriver::PressOk(dialog);
}

::testing::AssertionResult CDownloadSession::ExpectAccepted(const std::string& path)
{
    std::optional<peerkit::Reply> resume = m_session.WaitForReply(kReplyTimeoutMs);
    if (!resume || resume->code != 2 || resume->data != std::vector<std::uint8_t>{0, 0, 0, 0})
        return ::testing::AssertionFailure() << "expected reply 2 with ResumeFlag 0";
    std::optional<peerkit::Reply> folder = m_session.WaitForReply(kReplyTimeoutMs);
    if (!folder || folder->code != 3)
        return ::testing::AssertionFailure() << "expected reply 3 after reply 2";
    if (folder->data.size() != path.size() + 1 || ReplyText(*folder) != path + '\0')
        return ::testing::AssertionFailure() << "reply 3 carries \"" << ReplyText(*folder) << "\" ("
                                             << folder->data.size() << " bytes), expected " << path;
    if (folder->sender != m_session.FindFrameWindow())
        return ::testing::AssertionFailure() << "reply 3 does not name the assistant's frame";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult CDownloadSession::ExpectAbandoned()
{
    std::optional<peerkit::Reply> reply = m_session.WaitForReply(kReplyTimeoutMs);
    if (!reply)
        return ::testing::AssertionFailure() << "no reply";
    if (reply->code != 3 || !reply->data.empty() || !reply->dataPointerNull)
        return ::testing::AssertionFailure() << "expected an empty reply 3, got reply " << reply->code
                                             << " with " << reply->data.size() << " bytes";
    return ::testing::AssertionSuccess();
}

std::vector<BYTE> ParsedItemIdList(const std::string& path)
{
    wchar_t wide[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(::SHParseDisplayName(wide, nullptr, &list, 0, nullptr)) || !list)
        return {};
    const BYTE* bytes = reinterpret_cast<const BYTE*>(list);
    std::vector<BYTE> result(bytes, bytes + ::ILGetSize(list));
    ::CoTaskMemFree(list);
    return result;
}

std::optional<std::vector<BYTE>> ReadBinaryValue(const std::string& subkey, const char* valueName)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> bytes(4096);
    DWORD size = static_cast<DWORD>(bytes.size());
    DWORD type = 0;
    LONG result = ::RegQueryValueExA(key, valueName, nullptr, &type, bytes.data(), &size);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_BINARY)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

bool WriteBinaryValue(const std::string& subkey, const char* valueName, const std::vector<BYTE>& bytes)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    LONG result =
        ::RegSetValueExA(key, valueName, 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool KeyExists(const std::string& subkey)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void DeleteKeyTree(const std::string& subkey)
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, subkey.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, subkey.c_str());
}
} // namespace e2e
