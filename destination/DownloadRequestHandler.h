// Command 2 from its record to its outcome: the folder dialog until the user picks a writable
// folder the conflict check accepts, or gives up, or the assistant is told to stop.
#pragma once

#include "destination/DownloadDesk.h"
#include "destination/DownloadRequest.h"
#include "destination/ItemIdListHolder.h"
#include "destination/StoredFolder.h"
#include "environment/ChosenFolders.h"
#include "peer/PeerLink.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class FolderChooser;

// What one command 2 came to. The frame answers it: nothing for Ignored, an empty reply 3 for
// Abandoned, replies 2 and 3 for Accepted.
struct DownloadOutcome
{
    enum class Kind
    {
        Ignored,
        Abandoned,
        Accepted,
    };
    Kind kind = Kind::Ignored;
    std::string folder;
    std::uint32_t resumeFlag = 0;
    // Set only for a folder accepted with no stop requested: the user's consent, to be recorded
    // before the peer hears of the folder. A question the stop dismissed answers, but consents to nothing.
    std::optional<CResolvedFolder> consent;
};

class CDownloadRequestHandler
{
  public:
    CDownloadRequestHandler(IPeerLink& link, IDownloadDesk& desk, SettingsNames names);
    CDownloadRequestHandler(const CDownloadRequestHandler&) = delete;
    CDownloadRequestHandler& operator=(const CDownloadRequestHandler&) = delete;

    // One request, handled once. A record that is no well-formed request is ignored: nothing is
    // shown. Only memory exhaustion leaves it, as std::bad_alloc.
    DownloadOutcome Handle(const std::vector<std::uint8_t>& payload);

  private:
    void Preselect();
    bool ChooseAcceptedFolder(FolderChooser& chooser);
    bool ChooseWritableFolder(FolderChooser& chooser);
    int BrowseHoldingMutex(FolderChooser& chooser);
    bool ConfirmClose(HWND topAncestor);
    DownloadOutcome Accept();

    IPeerLink& m_link;
    IDownloadDesk& m_desk;
    SettingsNames m_names;
    DownloadRequest m_request;
    ItemIdListHolder m_root;
    ItemIdListHolder m_selection;
    std::string m_strPath;
    // The folder the dialog last returned, resolved and held from that moment.
    std::optional<CResolvedFolder> m_chosen;
    std::uint32_t m_dwResumeFlag = 0;
};

// The request with the real dialog and message boxes.
DownloadOutcome HandleDownloadRequest(IPeerLink& link, const std::vector<std::uint8_t>& payload,
                                      const SettingsNames& names);

// The top-most window above window by GetParent (owners included); null when it has none.
HWND FindTopAncestor(HWND window);

// text with its first "%s" replaced by argument (the caption goes in as it is, never as a format).
std::string FormatWithText(const std::string& text, const std::string& argument);
