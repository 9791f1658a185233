#include "peerkit/PeerSession.h"

#include "peerkit/MessagePump.h"

#include "framework/SystemVersion.h"
#include "peer/Protocol.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace peerkit
{
namespace
{
constexpr DWORD kWorkFileBusyWaitMs = 2000;
constexpr DWORD kLaunchRetryPauseMs = 250;

std::string WithBackslash(std::string folder)
{
    const char* last = nullptr;
    for (const char* p = folder.c_str(); *p; p = ::CharNextA(p))
        last = p;
    if (!last || *last != '\\')
        folder += '\\';
    return folder;
}

// The folder part of path with its backslash, or nothing. Steps by whole characters: the trail byte
// 0x5C of a double-byte character is no separator.
std::string FolderOf(const std::string& path)
{
    const char* start = path.c_str();
    const char* end = start;
    for (const char* p = start; *p; p = ::CharNextA(p))
        if (*p == '\\')
            end = p + 1;
    return path.substr(0, static_cast<size_t>(end - start));
}

// Steps by whole characters: the trail byte 0x5C of a double-byte character is no separator.
void CreateFolderChain(const std::string& folder)
{
    const char* start = folder.c_str();
    for (const char* p = start + std::min<size_t>(3, folder.size()); *p; p = ::CharNextA(p))
        if (*p == '\\')
            ::CreateDirectoryA(folder.substr(0, static_cast<size_t>(p - start)).c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
}

} // namespace

std::uint32_t WindowToWire(HWND window)
{
    return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(window));
}

std::vector<std::uint8_t> EncodeAttachRequest(std::uint32_t peerWindow, std::uint32_t replyWindow)
{
    std::vector<std::uint8_t> record;
    AppendUInt32(record, protocol::kAttachRequestSize);
    AppendUInt32(record, peerWindow);
    AppendUInt32(record, replyWindow);
    return record;
}

std::vector<std::uint8_t> EncodeWorkFile(std::uint32_t commandCode, const std::vector<std::uint8_t>& record)
{
    std::vector<std::uint8_t> bytes;
    AppendUInt32(bytes, commandCode);
    bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

CPeerSession::CPeerSession(SessionOptions options) : m_options(std::move(options))
{
    m_workFolder = FindWorkFolder(m_options.workFolder);
    CreateFolderChain(m_workFolder.substr(0, m_workFolder.size() - 1));
    m_workFile = m_workFolder + protocol::kWorkFileName;
    m_quitEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, protocol::kQuitEventName));
    m_requestEvent.Reset(::CreateEventA(nullptr, FALSE, FALSE, protocol::kRequestEventName));
    m_peerWindow.Reset(CreateHiddenWindow());
    m_replyWindow.Reset(CreateHiddenWindow());
}

CPeerSession::~CPeerSession()
{
    if (IsRunning())
    {
        SignalQuit();
        if (!WaitForExit(10000))
        {
            ::TerminateProcess(m_process.Get(), 99);
            ::WaitForSingleObject(m_process.Get(), 5000);
        }
    }
    ::DeleteFileA(m_workFile.c_str());
}

std::string CPeerSession::DefaultAssistantPath()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return FolderOf(path) + "KavoDownloadAssistant.exe";
}

std::string CPeerSession::FindWorkFolder(WorkFolderKind kind)
{
    if (kind == WorkFolderKind::Automatic)
        kind = IsVistaOrLaterSystem() ? WorkFolderKind::LowTemp : WorkFolderKind::OrdinaryTemp;
    if (kind == WorkFolderKind::LowTemp)
    {
        char localAppData[MAX_PATH] = {};
        ::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData);
        return WithBackslash(localAppData) + "Temp\\Low\\";
    }
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    return WithBackslash(temp);
}

bool CPeerSession::Launch()
{
    std::string path = m_options.assistantPath.empty() ? DefaultAssistantPath() : m_options.assistantPath;
    std::string folder = FolderOf(path);
    // Starting a process now and then fails under Wine on a loaded machine before the program
    // runs at all; a second attempt starts it. Each failure is reported with its error number.
    constexpr int kAttempts = 3;
    for (int attempt = 1; attempt <= kAttempts; ++attempt)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        std::string commandLine = "\"" + path + "\"";
        if (::CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                             folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        {
            ::CloseHandle(info.hThread);
            m_process.Reset(info.hProcess);
            m_processId = info.dwProcessId;
            m_launched = std::chrono::steady_clock::now();
            return true;
        }
        std::fprintf(stderr, "peerkit: cannot start %s (attempt %d of %d): error %lu\n", path.c_str(),
                     attempt, kAttempts, ::GetLastError());
        if (attempt < kAttempts)
            Pump(kLaunchRetryPauseMs);
    }
    return false;
}

bool CPeerSession::SendAttach(std::uint32_t peerWindow, std::uint32_t replyWindow)
{
    return SendCommand(protocol::kCommandAttach, EncodeAttachRequest(peerWindow, replyWindow));
}

std::optional<Reply> CPeerSession::Attach(DWORD timeoutMs)
{
    if (!SendAttach(WindowToWire(PeerWindow()), WindowToWire(ReplyWindow())))
        return std::nullopt;
    return WaitForReply(timeoutMs);
}

bool CPeerSession::SendCommand(std::uint32_t commandCode, const std::vector<std::uint8_t>& payload)
{
    // Command 2's dialog and questions are owned by a window of the peer, in another process: the
    // foreground lock keeps them behind unless the peer, holding the foreground, hands its right on.
    if (commandCode == protocol::kCommandDownload && m_processId)
        ::AllowSetForegroundWindow(m_processId);
    return WriteWorkFile(EncodeWorkFile(commandCode, payload)) && SignalRequest();
}

bool CPeerSession::WriteWorkFile(const std::vector<std::uint8_t>& bytes)
{
    // An unread command of ours may still stand there, possibly read-only, or be open in the
    // assistant for a moment while it reads it.
    ::SetFileAttributesA(m_workFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE opened = INVALID_HANDLE_VALUE;
    PumpMessagesUntil(
        kWorkFileBusyWaitMs, nullptr,
        [&] {
            opened = ::CreateFileA(m_workFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            // A work file the assistant has deleted while another process still holds it open
            // is delete-pending until then, and refuses with 5 rather than 32.
            const DWORD error = opened == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
            return error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED;
        },
        10);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    const CSessionHandle file(opened);
    DWORD written = 0;
    const BOOL ok = bytes.empty() || ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                                 &written, nullptr);
    return ok && written == bytes.size();
}

bool CPeerSession::WaitUntilWorkFileGone(DWORD timeoutMs)
{
    return PumpMessagesUntil(
        timeoutMs, nullptr,
        [&] { return ::GetFileAttributesA(m_workFile.c_str()) == INVALID_FILE_ATTRIBUTES; }, 20);
}

bool CPeerSession::SignalRequest()
{
    return m_requestEvent && ::SetEvent(m_requestEvent.Get());
}

void CPeerSession::Pump(DWORD milliseconds)
{
    PumpMessagesUntil(milliseconds, nullptr, [] { return false; });
}

void CPeerSession::SignalQuit()
{
    if (m_quitEvent)
        ::SetEvent(m_quitEvent.Get());
}

void CPeerSession::DestroyPeerWindow()
{
    m_peerWindow.Reset();
}

std::optional<DWORD> CPeerSession::WaitForExit(DWORD timeoutMs)
{
    if (!m_process)
        return std::nullopt;
    if (!PumpMessagesUntil(timeoutMs, m_process.Get(),
                           [&] { return ::WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0; }))
        return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

double CPeerSession::SecondsSinceLaunch() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_launched).count();
}

bool CPeerSession::IsRunning() const
{
    return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

} // namespace peerkit
