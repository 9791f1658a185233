// A unique folder under the temporary folder for one test, removed with everything in it, and the
// raw file helpers the content list tests compare bytes and attributes with.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CTempFolder
{
  public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& name) const { return m_strPath + "\\" + name; }
    // The names of the folder's entries, sorted.
    std::vector<std::string> Names() const;

  private:
    std::string m_strPath;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// Without the archive attribute, which Wine reports on every file.
DWORD Attributes(const std::string& path);
// The folder of this test program, with a backslash.
std::string ProgramFolder();
