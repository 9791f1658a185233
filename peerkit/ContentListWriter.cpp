#include "peerkit/ContentListWriter.h"

#include "contentlist/ContentListLock.h"
#include "contentlist/ContentListLockSecurity.h"
#include "contentlist/ContentListText.h"
#include "contentlist/LineFormat.h"
#include "contentlist/ReplacementFile.h"
#include "framework/CodePage.h"
#include "framework/Exceptions.h"
#include "framework/Handle.h"

namespace peerkit
{
namespace
{
// The file's bytes as they are; false when it does not exist.
bool ReadExisting(const std::string& path, std::string& bytes)
{
    CFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
    {
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return false;
        throw CFileException(error, path);
    }
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > static_cast<LONGLONG>(kMaxContentListBytes))
        throw CFileException(ERROR_FILE_TOO_LARGE, path);
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size()))
        throw CFileException(::GetLastError(), path);
    return true;
}

// The descriptor is needed only while the mutex is made or opened.
CContentListLock TakeLock(const std::string& name, DWORD timeoutMs)
{
    CContentListLockSecurity security;
    return CContentListLock(name, security.Get(), timeoutMs);
}
} // namespace

struct CContentListHold::CHeld
{
    CContentListLock lock;
};

CContentListHold::CContentListHold() noexcept = default;
CContentListHold::~CContentListHold() = default;
CContentListHold::CContentListHold(CContentListHold&&) noexcept = default;
CContentListHold& CContentListHold::operator=(CContentListHold&&) noexcept = default;

CContentListWriter::CContentListWriter(std::string path)
    : m_strPath(std::move(path)), m_strLockName(ContentListLockName(m_strPath, SystemCodePage()))
{
}

void CContentListWriter::SetRecord(const std::string& key, const ContentRecord& record)
{
    m_arrChanges.emplace_back(key, record);
}

void CContentListWriter::RemoveRecord(const std::string& key)
{
    m_arrChanges.emplace_back(key, std::nullopt);
}

CContentListHold CContentListWriter::Lock()
{
    CContentListHold hold;
    const std::uint32_t error = ErrorOfAttempt([&] {
        hold.m_held = std::make_unique<CContentListHold::CHeld>(
            CContentListHold::CHeld{TakeLock(m_strLockName, m_dwLockTimeoutMs)});
    });
    if (error)
        ::SetLastError(error);
    return hold;
}

bool CContentListWriter::Commit()
{
    const std::uint32_t error = ErrorOfAttempt([this] {
        CommitUnderLock();
        m_arrChanges.clear();
    });
    if (error)
        ::SetLastError(error);
    return error == 0;
}

void CContentListWriter::CommitUnderLock()
{
    CContentListLock lock = TakeLock(m_strLockName, m_dwLockTimeoutMs);
    CContentRecordMap records;
    std::string bytes;
    if (ReadExisting(m_strPath, bytes) && !ParseContentListText(bytes, SystemCodePage(), records))
        throw CUserException(ERROR_INVALID_DATA);
    for (const auto& [key, record] : m_arrChanges)
    {
        if (record)
            records.Set(key, *record);
        else
            records.Remove(key);
    }
    CReplacementFile file(m_strPath, SystemCodePage());
    for (const auto& [key, record] : records)
    {
        std::string line = FormatLineText(key.data(), record.Copy());
        file.Write(line.data(), line.size());
    }
    file.Commit();
}
} // namespace peerkit
