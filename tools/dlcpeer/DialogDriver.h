// Drives the assistant's folder dialog and message boxes from the peer's side, as a user would:
// finds them among the assistant's windows, chooses a folder, presses buttons, reads texts.
// Every wait pumps the calling thread's messages, since the assistant sends messages to the
// peer's windows (enabling, replies) while its dialogs are open.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace peerkit
{
class CDialogDriver
{
  public:
    static constexpr int kFolderTreeId = 0x3741;
    static constexpr int kMessageTextId = 0xFFFF;

    explicit CDialogDriver(DWORD processId) : m_processId(processId) {}

    // The assistant's visible folder dialog (class #32770 with the folder tree) or message box
    // (#32770 with the message text); null when none appeared in time.
    HWND WaitForFolderDialog(DWORD timeoutMs) const;
    HWND WaitForMessageBox(DWORD timeoutMs) const;
    // True once window is no longer a window.
    bool WaitUntilGone(HWND window, DWORD timeoutMs) const;
    // The assistant's folder dialog or message box open right now, or null.
    HWND FindFolderDialog() const;
    HWND FindMessageBox() const;

    // Selects the folder at path, the path written into the assistant's memory for the dialog.
    bool ChooseFolder(HWND dialog, const std::string& path) const;
    // Selects the desktop (its item-id list is a lone terminator).
    bool ChooseDesktop(HWND dialog) const;
    // The tree item selected now; equal values at two moments mean the same folder is selected.
    static std::uintptr_t SelectedItem(HWND dialog);

    static void PressOk(HWND dialog);
    static void PressCancel(HWND dialog);
    // Posts the id of a button the box has (IDOK, IDYES, IDNO).
    static void Answer(HWND messageBox, int buttonId);
    static std::string MessageText(HWND messageBox);
    static std::string Caption(HWND window);
    // Pumps the calling thread's messages for the given time.
    static void Pump(DWORD milliseconds);

  private:
    HWND FindDialog(int childId) const;
    bool SendSelection(HWND dialog, const void* bytes, std::size_t size, BOOL isPath) const;

    DWORD m_processId;
};
} // namespace peerkit
