// The hidden main frame: reads a command as soon as RequestEvent is signalled (and polls once a
// second besides), dispatches it to its handler, answers the peer and closes once the watchdog
// has ended.
#pragma once

#include "app/Backstop.h"
#include "destination/StoredFolder.h"
#include "environment/ChosenFolders.h"
#include "framework/FrameWnd.h"
#include "framework/Handle.h"
#include "framework/WinThread.h"
#include "peer/CommandGate.h"
#include "peer/PeerLink.h"
#include "peer/PendingPayloads.h"
#include "peer/Watchdog.h"

#include <atomic>
#include <functional>
#include <cstdint>
#include <memory>

struct DownloadOutcome;

class CMainFrame : public CFrameWnd, public IPeerLink, public IWatchedFrame
{
  public:
    // names: the settings key's, for the remembered folder and the finish policy.
    explicit CMainFrame(SettingsNames names);
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, HWND parent,
                LPCSTR menuName, DWORD exStyle, void* context) override;

    LRESULT SendReply(DWORD replyCode, const void* data, DWORD size);
    void RequestStop() override;
    int PollWorkFile();

    // The message loop waits on RequestEvent while no command is pending or being handled.
    HANDLE LoopWaitHandle() const override;
    void OnWaitSignalled() override;

    // IPeerLink and IWatchedFrame
    HWND PeerWindow() const override { return m_hPeerWnd.load(); }
    bool StopRequested() const override { return m_bStop.load() != FALSE; }
    HANDLE ChooserMutex() const override { return m_hChooserMutex.Get(); }
    HWND FrameWindow() const override { return m_hWnd; }
    HWND OpenChooserDialog() const override { return m_hChooserDialog.load(); }
    void SetOpenChooserDialog(HWND dialog) override { m_hChooserDialog.store(dialog); }

    std::atomic<HWND> m_hPeerWnd{nullptr};
    HWND m_hReplyWnd = nullptr;
    std::unique_ptr<CWinThread> m_pWatchdog;
    CHandle m_hChooserMutex{::CreateMutexA(nullptr, FALSE, nullptr)};
    UINT_PTR m_nTimer = 0;
    std::atomic<BOOL> m_bStop{FALSE};

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    int OnCreate(LPCREATESTRUCTA cs);
    void OnTimer(UINT_PTR timerId);
    LRESULT OnAttachRequest(WPARAM wParam, LPARAM lParam);
    LRESULT OnDownloadRequest(WPARAM wParam, LPARAM lParam);
    LRESULT OnFinishRequest(WPARAM wParam, LPARAM lParam);

    // Seams for tests that make timer creation fail.
    virtual UINT_PTR StartTimer();

  private:
    LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimerMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseMessage(WPARAM wParam, LPARAM lParam);
    bool WatchdogEnded() const;
    LRESULT SendReplyWithin(DWORD replyCode, const void* data, DWORD size, UINT timeoutMs);
    void SendFinishReply(std::uint32_t result);
    void AnswerDownloadRequest(const DownloadOutcome& outcome);
    std::unique_ptr<CPayload> AdoptPostedCommand(WPARAM token);
    void RunPostedCommand(WPARAM token, const std::function<void(const CPayload&)>& handle);
    bool TakeSignal();
    // woken: the loop's wait took the signal, not a tick.
    int ReadAndPostWorkFile(bool woken);

    CPendingPayloads m_payloads;
    CHandle m_requestEvent;
    CCommandGate m_gate;
    std::atomic<HWND> m_hChooserDialog{nullptr};
    CBackstop m_backstop{5000, kExitStopTimedOut};
    const SettingsNames m_names;
    // Where the consent policy lets command 3 place files.
    CChosenFolders m_chosenFolders;
};
