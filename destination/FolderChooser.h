// The shell's folder-browse dialog and its callback: preselects a folder, greys OK on items that
// are no file-system folder and, on request, shows the path and checks that the folder is writable.
#pragma once

#include "destination/ItemIdListHolder.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

class FolderChooser
{
  public:
    enum Option : DWORD
    {
        kVerifyWritable = 1,
        kShowPath = 2,
        kAlertBox = 8,
    };
    // What shows the dialog: SHBrowseForFolderA, or a stand-in in tests.
    using DialogFunction = std::function<LPITEMIDLIST(BROWSEINFOA&)>;
    using DialogObserver = std::function<void(HWND)>;

    // root stays the caller's and must outlive the chooser; so must initialSelection while shown.
    FolderChooser(HWND owner, LPCITEMIDLIST root, LPCITEMIDLIST initialSelection, const std::string& title,
                  UINT flags);
    virtual ~FolderChooser();
    FolderChooser(const FolderChooser&) = delete;
    FolderChooser& operator=(const FolderChooser&) = delete;

    // 1 and 2 add BIF_STATUSTEXT (1 only with a text, which becomes the refusal message); 8 makes
    // a refusal a message box; other values change nothing.
    void SetOption(DWORD option, const char* text);
    // IDOK when a folder was chosen (Result set), IDCANCEL when the dialog was cancelled or closed.
    int Browse();
    int Browse(const DialogFunction& showDialog);
    // Result's file-system path; empty when there is none.
    std::string GetSelectedPath() const;

    LPCITEMIDLIST Result() const noexcept { return m_result.Get(); }
    void SetInitialSelection(LPCITEMIDLIST list) noexcept { m_pInitialSelection = list; }
    LPCITEMIDLIST InitialSelection() const noexcept { return m_pInitialSelection; }
    // Told the dialog's window once it is initialised, and null once Browse returns.
    void SetDialogObserver(DialogObserver observer) { m_observer = std::move(observer); }

    DWORD Options() const noexcept { return m_dwOptions; }
    const BROWSEINFOA& Info() const noexcept { return m_info; }

  private:
    static int CALLBACK DialogCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data) noexcept;
    void OnInitialized(HWND dialog);
    void OnSelectionChanged(HWND dialog, LPCITEMIDLIST item);
    void ShowWritability(HWND dialog, const std::string& path);

    BROWSEINFOA m_info = {};
    LPCITEMIDLIST m_pInitialSelection = nullptr;
    ItemIdListHolder m_result; // what the dialog returned, freed with the shell allocator
    DWORD m_dwOptions = 0;
    std::string m_strTitle;
    std::string m_strRefusalText;
    DialogObserver m_observer;
};
