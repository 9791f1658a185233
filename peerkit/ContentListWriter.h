// The content list file as a peer writes it: records in the assistant's line format, the whole file
// written under ContentListLock with the name and security the assistant derives from the same
// path text, so that the assistant never reads a half-written list.
#pragma once

#include "contentlist/ContentRecord.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace peerkit
{
// ContentListLock of one list, held until this goes away; empty when it could not be had.
class CContentListHold
{
  public:
    CContentListHold() noexcept;
    ~CContentListHold();
    CContentListHold(CContentListHold&&) noexcept;
    CContentListHold& operator=(CContentListHold&&) noexcept;

    explicit operator bool() const noexcept { return m_held != nullptr; }

  private:
    friend class CContentListWriter;
    struct CHeld;
    std::unique_ptr<CHeld> m_held;
};

class CContentListWriter
{
  public:
    // path: exactly the text the peer sends the assistant, or the lock names will differ. Both
    // sides read it in the system's code page.
    explicit CContentListWriter(std::string path);
    CContentListWriter(const CContentListWriter&) = delete;
    CContentListWriter& operator=(const CContentListWriter&) = delete;

    // Changes kept until Commit, applied in the order made.
    void SetRecord(const std::string& key, const ContentRecord& record);
    void RemoveRecord(const std::string& key);

    // Under one hold of the lock: reads the list as it stands (a missing file is an empty list),
    // applies the changes, and puts the result in the file's place as a hidden file. A list that
    // does not read whole is left alone (ERROR_INVALID_DATA): rewriting it would drop the lines
    // after the bad one; so is one above 64 MiB (ERROR_FILE_TOO_LARGE). False with the thread's
    // last error set; the changes are kept then. Nothing thrown escapes.
    bool Commit();

    // ContentListLock for this path, for a peer that writes or reads the file by its own means.
    // Anyone may hold the lock, so the wait for it ends after LockTimeout: the hold is then empty
    // and the thread's last error ERROR_TIMEOUT (Commit fails with that error too).
    CContentListHold Lock();
    void SetLockTimeout(DWORD milliseconds) { m_dwLockTimeoutMs = milliseconds; }
    DWORD LockTimeout() const { return m_dwLockTimeoutMs; }
    static constexpr DWORD kDefaultLockTimeoutMs = 30000;

    const std::string& LockName() const { return m_strLockName; }

  private:
    void CommitUnderLock();

    std::string m_strPath;
    std::string m_strLockName;
    DWORD m_dwLockTimeoutMs = kDefaultLockTimeoutMs;
    std::vector<std::pair<std::string, std::optional<ContentRecord>>> m_arrChanges;
};
} // namespace peerkit
