#include "contentlist/ContentList.h"

#include "contentlist/ContentListLock.h"
#include "contentlist/LineFormat.h"
#include "contentlist/ReplacementFile.h"
#include "contentlist/WantedRecords.h"
#include "framework/Exceptions.h"

#include <fstream>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace
{
// Every public operation ends here: exceptions, memory exhaustion included, become FALSE.
template <class Operation> BOOL AtEdge(Operation&& operation) noexcept
{
    try
    {
        return operation() ? TRUE : FALSE;
    }
    catch (...)
    {
        return FALSE;
    }
}

constexpr std::size_t kMaxListBytes = kMaxContentListBytes;

// The lock's name is predictable and anyone may take it: a list whose lock another process holds
// longer than this counts as unreadable, so that it cannot hold the user interface for ever.
constexpr DWORD kLockWaitMs = 5000;

// The file's size, so that the text gets its room at once (the stream delivers at most that much);
// nothing when it cannot be taken or exceeds the limit.
std::optional<std::size_t> ListFileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) || data.nFileSizeHigh != 0 ||
        data.nFileSizeLow > kMaxListBytes)
        return std::nullopt;
    return data.nFileSizeLow;
}

// The list's text under its lock, as the text-mode stream delivers it (CR LF as LF), handed to
// onPiece 64 KiB at a time after onSize has its size (the stream delivers at most that much). A
// read error is a failure, not an early end, and so is a file that has grown past the limit since
// its size was taken: both throw CFileException.
void StreamUnderLock(const std::string& path, const std::string& lockName, SECURITY_ATTRIBUTES* security,
                     const std::function<void(std::size_t size)>& onSize,
                     const std::function<void(std::string_view piece)>& onPiece)
{
    CContentListLock lock(lockName, security, kLockWaitMs);
    const std::optional<std::size_t> size = ListFileSize(path);
    std::ifstream file(path);
    if (!size || !file)
        throw CFileException(0, path);
    onSize(*size);
    std::vector<char> chunk(1 << 16);
    std::size_t total = 0;
    while (file.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || file.gcount() > 0)
    {
        total += static_cast<std::size_t>(file.gcount());
        if (total > kMaxListBytes)
            throw CFileException(0, path);
        onPiece(std::string_view(chunk.data(), static_cast<std::size_t>(file.gcount())));
    }
    if (file.bad())
        throw CFileException(0, path);
}
} // namespace

// A list that cannot be read whole answers nothing, like an unusable store.
std::vector<std::string> ReadWantedText1(const std::string& path, const std::vector<std::string>& keys,
                                         const CCodePage& codePage)
{
    try
    {
        CWantedRecords wanted(keys, codePage, LineEnds::Stream);
        if (path.empty() || ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return wanted.Finish();
        CContentListLockSecurity security;
        StreamUnderLock(
            path, ContentListLockName(path, codePage), security.Get(), [](std::size_t) {},
            [&wanted](std::string_view piece) { wanted.Feed(piece); });
        return wanted.Finish();
    }
    catch (...)
    {
        return std::vector<std::string>(keys.size());
    }
}

CContentList::CContentList(const char* path, const CCodePage& codePage) : m_codePage(codePage)
{
    Open(path);
}

CContentList::~CContentList()
{
    RemoveAll();
    m_strPath.clear();
    m_pLockSecurity.reset();
    m_bValid = FALSE;
}

// The lock's name and security follow the path even when the file does not exist yet, so that a
// Save that creates the file is serialised with other processes like every later one. A missing
// file is an empty list, whatever the object held before.
BOOL CContentList::Open(const char* path)
{
    m_bValid = TRUE;
    try
    {
        m_strPath = path ? path : "";
        m_strLockName = ContentListLockName(m_strPath, m_codePage);
        if (!m_pLockSecurity)
            m_pLockSecurity = std::make_unique<CContentListLockSecurity>();
        if (m_strPath.empty() || ::GetFileAttributesA(m_strPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        {
            RemoveAll();
            return FALSE;
        }
        if (Load())
            return TRUE;
    }
    catch (...)
    {
    }
    m_bValid = FALSE;
    return FALSE;
}

BOOL CContentList::Commit()
{
    return Save();
}

void CContentList::Close()
{
    RemoveAll();
    m_strPath.clear();
    m_bValid = FALSE;
}

BOOL CContentList::SetRecord(const char* key, const char* text1, const char* text2, std::int32_t number)
{
    if (!m_bValid || !key)
        return FALSE;
    return AtEdge([&] {
        m_mapRecords.Set(key, text1 ? text1 : "", text2 ? text2 : "", number);
        return true;
    });
}

BOOL CContentList::RemoveRecord(const char* key)
{
    if (!m_bValid || !key)
        return FALSE;
    return AtEdge([&] {
        m_mapRecords.Remove(key);
        return true;
    });
}

// change replaces the record through the map; the record's views stay valid until it does.
BOOL CContentList::ChangeRecord(const char* key, const std::function<void(const ContentRecordView&)>& change)
{
    if (!m_bValid || !key)
        return FALSE;
    return AtEdge([&] {
        const ContentRecordView* record = Find(key);
        if (!record)
            return false;
        change(*record);
        return true;
    });
}

BOOL CContentList::SetText2(const char* key, const char* text)
{
    if (!text)
        return FALSE;
    return ChangeRecord(key, [&](const ContentRecordView& record) {
        m_mapRecords.Set(key, record.Text1, text, record.Number);
    });
}

BOOL CContentList::SetText1(const char* key, const char* text)
{
    return ChangeRecord(key, [&](const ContentRecordView& record) {
        m_mapRecords.Set(key, text ? text : "", record.Text2, record.Number);
    });
}

BOOL CContentList::SetNumber(const char* key, std::int32_t number)
{
    return ChangeRecord(key, [&](const ContentRecordView& record) {
        m_mapRecords.Set(key, record.Text1, record.Text2, number);
    });
}

BOOL CContentList::CopyField(const char* key, std::string_view ContentRecordView::*field, std::string& text) const
{
    if (!key)
        return FALSE;
    return AtEdge([&] {
        const ContentRecordView* record = Find(key);
        if (!record)
            return false;
        text = record->*field;
        return true;
    });
}

BOOL CContentList::GetText2(const char* key, std::string& text) const
{
    return CopyField(key, &ContentRecordView::Text2, text);
}

BOOL CContentList::GetText1(const char* key, std::string& text) const
{
    return m_bValid && CopyField(key, &ContentRecordView::Text1, text);
}

std::int32_t CContentList::GetNumber(const char* key) const
{
    if (!m_bValid || !key)
        return 0;
    std::int32_t number = 0;
    AtEdge([&] {
        const ContentRecordView* record = Find(key);
        if (!record)
            return false;
        number = record->Number;
        return true;
    });
    return number;
}

void CContentList::RemoveAll()
{
    m_mapRecords.Clear();
}

BOOL CContentList::Save()
{
    if (m_strPath.empty())
        return FALSE;
    return AtEdge([&] {
        SaveUnderLock();
        return true;
    });
}

// The text is read under the lock and parsed after it is released; records of the lines before a
// rejected one stay in the map.
BOOL CContentList::Load()
{
    if (m_strPath.empty())
        return FALSE;
    RemoveAll();
    return AtEdge([&] {
        return ParseContentListLines(
            ReadUnderLock(),
            [this](const char* line, std::string& key, ContentRecord& record) {
                return ParseLine(line, key, &record) != FALSE;
            },
            m_mapRecords);
    });
}

BOOL CContentList::FormatLine(const char* key, const ContentRecord* record, char* buffer,
                              std::uint32_t& length)
{
    return ::FormatLine(key, record, buffer, length) ? TRUE : FALSE;
}

BOOL CContentList::ParseLine(const char* line, std::string& key, ContentRecord* record)
{
    return AtEdge([&] { return ::ParseLine(line, key, record, m_codePage); });
}

const ContentRecordView* CContentList::Find(const char* key) const
{
    return m_mapRecords.Find(key);
}

SECURITY_ATTRIBUTES* CContentList::LockSecurity() const
{
    return m_pLockSecurity ? m_pLockSecurity->Get() : nullptr;
}

std::string CContentList::ReadUnderLock() const
{
    std::string text;
    StreamUnderLock(
        m_strPath, m_strLockName, LockSecurity(), [&text](std::size_t size) { text.reserve(size); },
        [&text](std::string_view piece) { text.append(piece); });
    return text;
}

// Each line is formatted twice, first for its length and then into a buffer of that size, so a
// class that overrides FormatLine keeps the same contract. The map's keys are followed by a NUL.
void CContentList::SaveUnderLock()
{
    CContentListLock lock(m_strLockName, LockSecurity(), kLockWaitMs);
    CReplacementFile file(m_strPath, m_codePage);
    for (const auto& [key, view] : m_mapRecords)
    {
        const ContentRecord record = view.Copy();
        std::uint32_t length = 0;
        if (!FormatLine(key.data(), &record, nullptr, length))
            throw CUserException();
        std::vector<char> buffer(length);
        if (!FormatLine(key.data(), &record, buffer.data(), length) || length != buffer.size())
            throw CUserException();
        file.Write(buffer.data(), buffer.size());
    }
    file.Commit();
}
