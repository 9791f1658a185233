// The content list file as a peer writes it: records in the assistant's line format, the whole file
// written under ContentListLock with the name and security the assistant derives from the same
// path text, so that the assistant never reads a half-written list.
#pragma once

#include "contentlist/ContentListLock.h"
#include "contentlist/ContentListText.h"
#include "contentlist/ContentRecord.h"
#include "contentlist/ContentListLockSecurity.h"
#include "framework/CodePage.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace peerkit
{
class CContentListWriter
{
  public:
    // path: exactly the text the peer sends the assistant, or the lock names will differ.
    explicit CContentListWriter(std::string path, const CCodePage& codePage = SystemCodePage());
    CContentListWriter(const CContentListWriter&) = delete;
    CContentListWriter& operator=(const CContentListWriter&) = delete;

    // Changes kept until Commit, applied in the order made.
    void SetRecord(const std::string& key, const ContentRecord& record);
    void RemoveRecord(const std::string& key);

    // Under one hold of the lock: reads the list as it stands (a missing file is an empty list),
    // applies the changes, and puts the result in the file's place as a hidden file. A list that
    // does not read whole is left alone (ERROR_INVALID_DATA): rewriting it would drop the lines
    // after the bad one; so is one above kMaxContentListBytes (ERROR_FILE_TOO_LARGE). False with
    // the thread's last error set; the changes are kept then. Nothing thrown escapes.
    bool Commit();

    // ContentListLock for this path, held until the returned object goes away: for a peer that
    // writes or reads the file by its own means. Anyone may hold the lock, so the wait for it ends
    // after LockTimeout with CResourceException(ERROR_TIMEOUT); Commit then fails with that error.
    CContentListLock Lock();
    void SetLockTimeout(DWORD milliseconds) { m_dwLockTimeoutMs = milliseconds; }
    DWORD LockTimeout() const { return m_dwLockTimeoutMs; }
    static constexpr DWORD kDefaultLockTimeoutMs = 30000;

    const std::string& LockName() const { return m_strLockName; }

  private:
    void CommitUnderLock();

    const CCodePage& m_codePage;
    std::string m_strPath;
    std::string m_strLockName;
    CContentListLockSecurity m_security;
    DWORD m_dwLockTimeoutMs = kDefaultLockTimeoutMs;
    std::vector<std::pair<std::string, std::optional<ContentRecord>>> m_arrChanges;
};
} // namespace peerkit
