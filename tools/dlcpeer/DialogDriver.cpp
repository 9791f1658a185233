#include "tools/dlcpeer/DialogDriver.h"

#include "peerkit/MessagePump.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

namespace peerkit
{
namespace
{
constexpr DWORD kPollMs = 20;

struct FindContext
{
    DWORD processId;
    int childId;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND window, LPARAM param) noexcept
{
    auto* context = reinterpret_cast<FindContext*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid != context->processId || !::IsWindowVisible(window))
        return TRUE;
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !::GetDlgItem(window, context->childId))
        return TRUE;
    context->found = window;
    return FALSE;
}

// The remote block lives only for the one synchronous message that reads it.
class CRemoteBlock
{
  public:
    CRemoteBlock(DWORD processId, std::size_t size)
    {
        m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE,
                                  processId);
        if (m_process)
            m_address = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~CRemoteBlock()
    {
        if (m_address)
            ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process)
            ::CloseHandle(m_process);
    }
    CRemoteBlock(const CRemoteBlock&) = delete;
    CRemoteBlock& operator=(const CRemoteBlock&) = delete;

    bool Write(const void* bytes, std::size_t size)
    {
        SIZE_T written = 0;
        return m_address && ::WriteProcessMemory(m_process, m_address, bytes, size, &written) &&
               written == size;
    }
    void* Address() const { return m_address; }

  private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};

} // namespace

HWND CDialogDriver::FindDialog(int childId) const
{
    FindContext context{m_processId, childId, nullptr};
    ::EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&context));
    return context.found;
}

HWND CDialogDriver::FindFolderDialog() const
{
    return FindDialog(kFolderTreeId);
}

HWND CDialogDriver::FindMessageBox() const
{
    return FindDialog(kMessageTextId);
}

HWND CDialogDriver::WaitForFolderDialog(DWORD timeoutMs) const
{
    HWND found = nullptr;
    PumpMessagesUntil(
        timeoutMs, nullptr, [&] { return (found = FindFolderDialog()) != nullptr; }, kPollMs);
    return found;
}

HWND CDialogDriver::WaitForMessageBox(DWORD timeoutMs) const
{
    HWND found = nullptr;
    PumpMessagesUntil(
        timeoutMs, nullptr, [&] { return (found = FindMessageBox()) != nullptr; }, kPollMs);
    return found;
}

bool CDialogDriver::WaitUntilGone(HWND window, DWORD timeoutMs) const
{
    return PumpMessagesUntil(
        timeoutMs, nullptr, [&] { return !::IsWindow(window); }, kPollMs);
}

void CDialogDriver::Pump(DWORD milliseconds)
{
    PumpMessagesUntil(milliseconds, nullptr, [] { return false; });
}

bool CDialogDriver::SendSelection(HWND dialog, const void* bytes, std::size_t size, BOOL isPath) const
{
    CRemoteBlock block(m_processId, size);
    if (!block.Write(bytes, size))
        return false;
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(dialog, BFFM_SETSELECTIONA, isPath,
                                 reinterpret_cast<LPARAM>(block.Address()), SMTO_NORMAL, 10000, &result) != 0;
}

bool CDialogDriver::ChooseFolder(HWND dialog, const std::string& path) const
{
    return SendSelection(dialog, path.c_str(), path.size() + 1, TRUE);
}

bool CDialogDriver::ChooseDesktop(HWND dialog) const
{
    const BYTE desktop[2] = {0, 0};
    return SendSelection(dialog, desktop, sizeof desktop, FALSE);
}

std::uintptr_t CDialogDriver::SelectedItem(HWND dialog)
{
    HWND tree = ::GetDlgItem(dialog, kFolderTreeId);
    if (!tree)
        return 0;
    return static_cast<std::uintptr_t>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void CDialogDriver::PressOk(HWND dialog)
{
    ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

void CDialogDriver::PressCancel(HWND dialog)
{
    ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

void CDialogDriver::Answer(HWND messageBox, int buttonId)
{
    ::PostMessageA(messageBox, WM_COMMAND, static_cast<WPARAM>(buttonId), 0);
}

std::string CDialogDriver::MessageText(HWND messageBox)
{
    std::vector<char> text(4096);
    ::GetDlgItemTextA(messageBox, kMessageTextId, text.data(), static_cast<int>(text.size()));
    return text.data();
}

std::string CDialogDriver::Caption(HWND window)
{
    std::vector<char> text(1024);
    ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}
} // namespace peerkit
