// Scope guards shared by the end-to-end tests.
#pragma once

#include <windows.h>

#include <string>

namespace e2e
{
// Makes Wine report Windows XP to the assistant's executable alone (a per-program override).
class CXpModeScope
{
  public:
    CXpModeScope();
    ~CXpModeScope();
    CXpModeScope(const CXpModeScope&) = delete;
    CXpModeScope& operator=(const CXpModeScope&) = delete;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class CTempFolder
{
  public:
    explicit CTempFolder(const std::string& tag);
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

  private:
    std::string m_path;
};

void RemoveTree(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
} // namespace e2e
