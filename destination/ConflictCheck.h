// The check for files of a download request that already exist before a folder is accepted:
// partly fetched files recorded in the content list (resume or restart) and files of the same
// names in the chosen folder (overwrite, or choose again; read-only ones always choose again).
#pragma once

#include "destination/ConflictDesk.h"
#include "destination/DownloadRequest.h"

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// While TRUE, the next check resets ResumeFlag and looks for partly fetched files. Cleared once
// the resume question has been asked, set again whenever a check accepts a folder; it outlives
// requests, so a request abandoned after the question leaves the next one without the question.
extern BOOL s_bTempCheckPending;

// 0 accepts the folder at path, 1 makes the user choose another; may set *resumeFlag to 0 or 1.
// The message boxes are owned by owner and captioned with the request's Caption.
int CheckExistingFiles(IConflictDesk& desk, BOOL& tempCheckPending, HWND owner, const std::string& path,
                       const DownloadRequest& request, std::uint32_t* resumeFlag);

// The text of leadId, one "\t<name>\n" line per name, then the texts of trailIds in order.
std::string ComposeConflictMessage(IConflictDesk& desk, UINT leadId, const std::vector<std::string>& names,
                                   std::initializer_list<UINT> trailIds);
