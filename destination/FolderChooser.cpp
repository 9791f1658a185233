#include "destination/FolderChooser.h"

#include "destination/FolderWritable.h"
#include "destination/UserMessage.h"
#include "framework/Exceptions.h"
#include "framework/StringResource.h"
#include "resources/resource.h"

namespace
{
void SetStatusText(HWND dialog, const char* text)
{
    ::SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

void ShowApplicationMessage(HWND owner, const std::string& text)
{
    std::string title = AfxLoadString(AFX_IDS_APP_TITLE);
    ShowUserMessage(owner, text, title, MB_OK);
}
} // namespace

FolderChooser::FolderChooser(HWND owner, LPCITEMIDLIST root, LPCITEMIDLIST initialSelection,
                             const std::string& title, UINT flags)
    : m_pInitialSelection(initialSelection), m_strTitle(title)
{
    m_info.hwndOwner = owner;
    m_info.pidlRoot = root;
    m_info.pszDisplayName = nullptr;
    m_info.lpszTitle = m_strTitle.c_str();
    m_info.ulFlags = flags;
    m_info.lpfn = &FolderChooser::DialogCallback;
    m_info.lParam = reinterpret_cast<LPARAM>(this);
    m_info.iImage = 0;
}

FolderChooser::~FolderChooser() = default;

void FolderChooser::SetOption(DWORD option, const char* text)
{
    switch (option)
    {
    case kVerifyWritable:
        m_dwOptions |= kVerifyWritable;
        if (text)
        {
            m_strRefusalText = text;
            m_info.ulFlags |= BIF_STATUSTEXT;
        }
        break;
    case kShowPath:
        m_dwOptions |= kShowPath;
        m_info.ulFlags |= BIF_STATUSTEXT;
        break;
    case kAlertBox:
        m_dwOptions |= kAlertBox;
        break;
    default:
        break;
    }
}

int FolderChooser::Browse()
{
    return Browse([](BROWSEINFOA& info) { return ::SHBrowseForFolderA(&info); });
}

int FolderChooser::Browse(const DialogFunction& showDialog)
{
    m_result.Adopt(nullptr);
    m_result.Adopt(showDialog(m_info));
    if (m_observer)
        m_observer(nullptr);
    return m_result.Get() ? IDOK : IDCANCEL;
}

std::string FolderChooser::GetSelectedPath() const
{
    char path[MAX_PATH] = {};
    if (m_result.Get())
        ::SHGetPathFromIDListA(m_result.Get(), path);
    path[MAX_PATH - 1] = '\0';
    return path;
}

int CALLBACK FolderChooser::DialogCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data) noexcept
{
    auto* chooser = reinterpret_cast<FolderChooser*>(data);
    if (!chooser)
        return 0;
    RunAtEdge([&] {
        if (message == BFFM_INITIALIZED)
            chooser->OnInitialized(dialog);
        else if (message == BFFM_SELCHANGED && lParam)
            chooser->OnSelectionChanged(dialog, reinterpret_cast<LPCITEMIDLIST>(lParam));
    });
    return 0;
}

void FolderChooser::OnInitialized(HWND dialog)
{
    // The dialog's owner is the peer's window; the peer has let this process take the foreground
    // (AllowSetForegroundWindow), which is used here, while the dialog is new.
    ::SetForegroundWindow(dialog);
    if (m_observer)
        m_observer(dialog);
    if (m_pInitialSelection)
        ::SendMessageA(dialog, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(m_pInitialSelection));
}

void FolderChooser::OnSelectionChanged(HWND dialog, LPCITEMIDLIST item)
{
    char path[MAX_PATH] = {};
    ::SHGetPathFromIDListA(item, path);
    path[MAX_PATH - 1] = '\0';
    if (!path[0])
    {
        ::SendMessageA(dialog, BFFM_ENABLEOK, 0, 0);
        SetStatusText(dialog, "");
        return;
    }
    if (m_dwOptions & kShowPath)
        SetStatusText(dialog, path);
    if (m_dwOptions & kVerifyWritable)
        ShowWritability(dialog, path);
}

void FolderChooser::ShowWritability(HWND dialog, const std::string& path)
{
    int ok = IsFolderWritable(path.c_str());
    ::SendMessageA(dialog, BFFM_ENABLEOK, 0, ok);
    std::string message = ok ? std::string() : m_strRefusalText;
    if (!(m_dwOptions & kAlertBox))
    {
        SetStatusText(dialog, message.c_str());
        return;
    }
    SetStatusText(dialog, "");
    if (message.empty())
        return;
    ::SendMessageA(dialog, WM_CANCELMODE, 0, 0);
    ::EnableWindow(dialog, FALSE);
    ShowApplicationMessage(dialog, message);
    ::SendMessageA(dialog, WM_CANCELMODE, 0, 0);
    ::EnableWindow(dialog, TRUE);
}
