#include "destination/DownloadRequestHandler.h"

#include "destination/FolderChooser.h"
#include "destination/SystemDownloadDesk.h"
#include "environment/PathForm.h"
#include "framework/MutexHold.h"
#include "framework/StringResource.h"
#include "resources/resource.h"

#include <objbase.h>

#include <utility>

namespace
{
// A parent chain is never this long; the bound keeps a broken chain from hanging the UI thread.
constexpr int kMaxAncestors = 256;

// The new-style folder dialog needs a single-threaded COM apartment on the thread that shows it.
class CComApartment
{
  public:
    CComApartment() : m_bInitialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~CComApartment()
    {
        if (m_bInitialized)
            ::CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

  private:
    bool m_bInitialized;
};

void EnableIfWindow(HWND window, BOOL enable)
{
    if (window && ::IsWindow(window))
        ::EnableWindow(window, enable);
}
} // namespace

HWND FindTopAncestor(HWND window)
{
    HWND top = nullptr;
    for (int depth = 0; window && depth < kMaxAncestors; ++depth)
    {
        window = ::GetParent(window);
        if (window)
            top = window;
    }
    return top;
}

// A byte search is safe here: '%' (0x25) is never the trail byte of a double-byte character.
std::string FormatWithText(const std::string& text, const std::string& argument)
{
    std::string result = text;
    size_t pos = result.find("%s");
    if (pos != std::string::npos)
        result.replace(pos, 2, argument);
    return result;
}

CDownloadRequestHandler::CDownloadRequestHandler(IPeerLink& link, IDownloadDesk& desk, SettingsNames names)
    : m_link(link), m_desk(desk), m_names(std::move(names))
{
}

DownloadOutcome CDownloadRequestHandler::Handle(const std::vector<std::uint8_t>& payload)
{
    DecodedDownloadRequest decoded = DecodeDownloadRequest(payload.data(), payload.size());
    if (decoded.status != DownloadRequestStatus::Decoded)
        return {};
    m_request = std::move(decoded.request);
    // The caption titles every question: it must not lay out lines of its own.
    m_request.caption = VisibleText(m_request.caption);

    LPITEMIDLIST desktop = nullptr;
    if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop)))
        m_root.Adopt(desktop);
    Preselect();

    FolderChooser chooser(m_link.PeerWindow(), m_root.Get(), m_selection.Get(),
                          AfxLoadString(IDS_SELECT_FOLDER), BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE);
    chooser.SetOption(FolderChooser::kAlertBox, nullptr);
    chooser.SetDialogObserver([this](HWND dialog) { m_link.SetOpenChooserDialog(dialog); });
    m_dwResumeFlag = 0;
    if (!ChooseAcceptedFolder(chooser))
        return {DownloadOutcome::Kind::Abandoned, {}, 0, std::nullopt};
    return Accept();
}

// The last folder is offered again only while it can still take files; else the desktop.
void CDownloadRequestHandler::Preselect()
{
    ReadStoredFolder(m_names, m_selection);
    if (m_selection.Get())
    {
        char path[MAX_PATH] = {};
        m_selection.GetPath(path);
        path[MAX_PATH - 1] = '\0';
        if (m_desk.IsFolderWritable(path))
            return;
    }
    m_selection.Set(m_root.Get());
}

bool CDownloadRequestHandler::ChooseAcceptedFolder(FolderChooser& chooser)
{
    for (;;)
    {
        chooser.SetInitialSelection(m_selection.Get());
        if (!ChooseWritableFolder(chooser))
            return false;
        if (m_desk.CheckExistingFiles(m_link.PeerWindow(), m_strPath, m_request, &m_dwResumeFlag) == 0)
            return true;
    }
}

// False when the request is to be abandoned: the user confirmed closing, or the stop flag is set.
// The stop-flag exits leave the top ancestor disabled.
bool CDownloadRequestHandler::ChooseWritableFolder(FolderChooser& chooser)
{
    for (;;)
    {
        HWND top = FindTopAncestor(m_link.PeerWindow());
        EnableIfWindow(top, FALSE);
        if (m_link.StopRequested())
            return false;
        int result = BrowseHoldingMutex(chooser);
        if (m_link.StopRequested())
            return false;
        bool writable = false;
        if (result == IDOK)
        {
            m_strPath = chooser.GetSelectedPath();
            m_chosen = ResolveFolder(m_strPath);
            m_selection.Set(chooser.Result());
            writable = m_desk.IsFolderWritable(m_strPath);
            chooser.SetInitialSelection(m_selection.Get());
            if (!writable)
                m_desk.ShowMessage(m_link.PeerWindow(), AfxLoadString(IDS_NOT_WRITEABLE), m_request.caption,
                                   MB_ICONWARNING | MB_OK);
        }
        else if (!ConfirmClose(top))
        {
            return false;
        }
        if (m_link.StopRequested())
            return false;
        EnableIfWindow(top, TRUE);
        if (writable)
            return true;
    }
}

int CDownloadRequestHandler::BrowseHoldingMutex(FolderChooser& chooser)
{
    // Held for one showing of the dialog, so the watchdog can tell it is open.
    CMutexHold hold(m_link.ChooserMutex(), INFINITE);
    return m_desk.Browse(chooser);
}

// True when the user wants to choose again (No); any other answer abandons the request.
bool CDownloadRequestHandler::ConfirmClose(HWND topAncestor)
{
    EnableIfWindow(topAncestor, FALSE);
    std::string question = FormatWithText(AfxLoadString(IDS_ASK_CLOSE), m_request.caption);
    if (m_desk.ShowMessage(m_link.PeerWindow(), question, m_request.caption, MB_ICONWARNING | MB_YESNO) ==
        IDNO)
        return true;
    EnableIfWindow(topAncestor, TRUE);
    return false;
}

// A question that the stop dismissed counts as answered for the replies, which peers rely on, but it
// is no consent. The folder is remembered for the next request either way.
DownloadOutcome CDownloadRequestHandler::Accept()
{
    DownloadOutcome outcome{DownloadOutcome::Kind::Accepted, m_strPath, m_dwResumeFlag, std::nullopt};
    if (m_chosen && !m_link.StopRequested())
        outcome.consent = std::move(m_chosen);
    StoreFolder(m_names, m_selection.Get());
    return outcome;
}

DownloadOutcome HandleDownloadRequest(IPeerLink& link, const std::vector<std::uint8_t>& payload,
                                      const SettingsNames& names)
{
    CComApartment apartment;
    CSystemDownloadDesk desk;
    CDownloadRequestHandler handler(link, desk, names);
    return handler.Handle(payload);
}
