// The peer kit: everything a peer needs to drive the assistant. It creates the named events and
// the peer's windows, starts the assistant, writes each work file whole and closed before it
// signals, and waits for replies while pumping messages (the assistant's replies are sent, so a
// peer that stops pumping would stall it).
#pragma once

#include "peer/Records.h"
#include "peerkit/Reply.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace peerkit
{
enum class WorkFolderKind
{
    Automatic,    // as the assistant chooses it on this system
    LowTemp,      // <LocalAppData>\Temp\Low\ (Windows Vista and later)
    OrdinaryTemp, // GetTempPath (Windows XP)
};

struct SessionOptions
{
    std::string assistantPath; // empty: KavoDownloadAssistant.exe beside this program
    WorkFolderKind workFolder = WorkFolderKind::Automatic;
};

// Owns one handle or window of a session: the kit's own small owner, so that a peer's namespace gets
// no type of the assistant's framework.
template <typename Object, BOOL(WINAPI* Close)(Object)> class CSessionOwned
{
  public:
    CSessionOwned() = default;
    explicit CSessionOwned(Object object) noexcept : m_object(object) {}
    ~CSessionOwned() { Reset(); }
    CSessionOwned(const CSessionOwned&) = delete;
    CSessionOwned& operator=(const CSessionOwned&) = delete;

    Object Get() const noexcept { return m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }
    void Reset(Object object = nullptr) noexcept
    {
        if (m_object)
            Close(m_object);
        m_object = object;
    }

  private:
    Object m_object = nullptr;
};

using CSessionHandle = CSessionOwned<HANDLE, &::CloseHandle>;
using CSessionWindow = CSessionOwned<HWND, &::DestroyWindow>;

class CPeerSession
{
  public:
    explicit CPeerSession(SessionOptions options = SessionOptions());
    ~CPeerSession();
    CPeerSession(const CPeerSession&) = delete;
    CPeerSession& operator=(const CPeerSession&) = delete;

    // Starts the assistant; false with the system's error when it cannot be started.
    bool Launch();
    // Command 1 naming this session's windows (or the given ones) and its reply.
    std::optional<Reply> Attach(DWORD timeoutMs = 5000);
    bool SendAttach(std::uint32_t peerWindow, std::uint32_t replyWindow);

    // Writes the work file whole and closed, then signals RequestEvent. Send the next command only
    // after this one's reply, or after WaitUntilWorkFileGone for one that gets none: a file
    // written while the assistant is about to delete the last one is deleted unread.
    bool SendCommand(std::uint32_t commandCode, const std::vector<std::uint8_t>& payload);
    bool WriteWorkFile(const std::vector<std::uint8_t>& bytes);
    bool SignalRequest();
    // Waits (pumping) until the work file is gone.
    bool WaitUntilWorkFileGone(DWORD timeoutMs);

    // Only replies from the assistant's frame with a code and size it sends are received: wParam
    // must be a window titled "Kavo Downloader" of the launched process (of any process before
    // Launch). Anything else sent to the peer's windows is refused and dropped.
    std::optional<Reply> WaitForReply(DWORD timeoutMs);
    // Every reply already received, without waiting.
    std::vector<Reply> TakeReplies();
    // Pumps messages for the given time (lets late replies arrive).
    void Pump(DWORD milliseconds);

    void SignalQuit();
    // Ends the session as a peer may: the assistant stops once PeerWindow is gone.
    void DestroyPeerWindow();
    // The exit code once the assistant has ended, pumping messages while waiting.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);
    // Seconds since Launch.
    double SecondsSinceLaunch() const;

    const std::string& WorkFilePath() const { return m_workFile; }
    const std::string& WorkFolder() const { return m_workFolder; }
    HWND PeerWindow() const { return m_peerWindow.Get(); }
    HWND ReplyWindow() const { return m_replyWindow.Get(); }
    HANDLE Process() const { return m_process.Get(); }
    DWORD ProcessId() const { return m_processId; }
    bool IsRunning() const;

    // The folder in which the assistant looks for the work file.
    static std::string FindWorkFolder(WorkFolderKind kind);
    static std::string DefaultAssistantPath();
    // The assistant's frame: the hidden top-level window of its process titled "Kavo Downloader".
    HWND FindFrameWindow() const;

  protected:
    // For a test's session that runs without one of the events, or makes one late.
    CSessionHandle m_quitEvent;
    CSessionHandle m_requestEvent;

  private:
    bool TakeReply(HWND receiver, WPARAM sender, const COPYDATASTRUCT& copyData);
    static LRESULT CALLBACK ReplyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    HWND CreateHiddenWindow();

    SessionOptions m_options;
    std::string m_workFolder;
    std::string m_workFile;
    CSessionWindow m_peerWindow;
    CSessionWindow m_replyWindow;
    CSessionHandle m_process;
    DWORD m_processId = 0;
    std::chrono::steady_clock::time_point m_launched;
    std::deque<Reply> m_replies;
};

// Little-endian record building.
using ::AppendUInt32;
std::uint32_t WindowToWire(HWND window);
// Command 1's 12-byte record.
std::vector<std::uint8_t> EncodeAttachRequest(std::uint32_t peerWindow, std::uint32_t replyWindow);
// A whole work file: the command code, then the record.
std::vector<std::uint8_t> EncodeWorkFile(std::uint32_t commandCode, const std::vector<std::uint8_t>& record);
} // namespace peerkit
