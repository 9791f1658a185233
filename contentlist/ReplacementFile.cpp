#include "contentlist/ReplacementFile.h"

#include "contentlist/ContentListText.h"
#include "framework/Exceptions.h"

namespace
{
constexpr DWORD kMaxWrite = 1u << 30;
} // namespace

CReplacementFile::CReplacementFile(const std::string& path, const CCodePage& codePage) : m_strPath(path)
{
    char tempPath[MAX_PATH] = {};
    if (!::GetTempFileNameA(FolderOfPath(path, codePage).c_str(), "CL", 0, tempPath))
        throw CFileException(::GetLastError(), path);
    m_strTempPath = tempPath;
    // Wine reports success without creating the file in a folder it cannot write to, so the
    // file is (re)created here and its failure is the one that counts.
    m_hFile.Reset(::CreateFileA(tempPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_hFile)
        throw CFileException(::GetLastError(), m_strTempPath);
}

CReplacementFile::~CReplacementFile()
{
    if (m_bCommitted)
        return;
    m_hFile.Reset();
    ::DeleteFileA(m_strTempPath.c_str());
}

void CReplacementFile::Write(const char* data, std::size_t size)
{
    while (size > 0)
    {
        DWORD chunk = size > kMaxWrite ? kMaxWrite : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(m_hFile.Get(), data, chunk, &written, nullptr) || written != chunk)
            throw CFileException(::GetLastError(), m_strTempPath);
        data += chunk;
        size -= chunk;
    }
}

void CReplacementFile::Commit()
{
    // On disk before the move, so that a crash cannot leave the new name on empty contents.
    if (!::FlushFileBuffers(m_hFile.Get()))
        throw CFileException(::GetLastError(), m_strTempPath);
    m_hFile.Reset();
    ::SetFileAttributesA(m_strTempPath.c_str(), FILE_ATTRIBUTE_HIDDEN);
    MoveIntoPlace();
    m_bCommitted = true;
}

void CReplacementFile::MoveIntoPlace()
{
    const DWORD previous = ::GetFileAttributesA(m_strPath.c_str());
    if (previous != INVALID_FILE_ATTRIBUTES && (previous & FILE_ATTRIBUTE_DIRECTORY))
        throw CFileException(ERROR_ACCESS_DENIED, m_strPath);
    if (previous != INVALID_FILE_ATTRIBUTES)
        ::SetFileAttributesA(m_strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::MoveFileExA(m_strTempPath.c_str(), m_strPath.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        DWORD error = ::GetLastError();
        if (previous != INVALID_FILE_ATTRIBUTES)
            ::SetFileAttributesA(m_strPath.c_str(), previous);
        throw CFileException(error, m_strPath);
    }
}
