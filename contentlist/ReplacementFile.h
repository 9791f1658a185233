// New contents for a file, written beside it under a unique name and moved over it only once they
// are complete, so that a write that fails part-way leaves the old file as it stood.
#pragma once

#include "framework/CodePage.h"
#include "framework/Handle.h"

#include <cstddef>
#include <string>

class CReplacementFile
{
  public:
    // Creates the new, empty file in the target's folder. CFileException when it cannot.
    CReplacementFile(const std::string& path, const CCodePage& codePage);
    // Removes the new file unless it has replaced the target.
    ~CReplacementFile();
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    void Write(const char* data, std::size_t size);

    // Puts the new file in the target's place with only the hidden attribute. The target's own
    // attributes are cleared first, so that a read-only or hidden list can be replaced, and put
    // back when the move fails. CFileException on any failure.
    void Commit();

  private:
    void MoveIntoPlace();

    std::string m_strPath;
    std::string m_strTempPath;
    CFileHandle m_hFile;
    bool m_bCommitted = false;
};
