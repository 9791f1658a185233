// Another process (e2e_faults_holder) holding a file open without sharing while this object lives.
#pragma once

#include "framework/Handle.h"

#include <string>

namespace faults
{
class CFileHolderProcess
{
  public:
    explicit CFileHolderProcess(const std::string& path);
    ~CFileHolderProcess();
    CFileHolderProcess(const CFileHolderProcess&) = delete;
    CFileHolderProcess& operator=(const CFileHolderProcess&) = delete;

    // True once the other process has the file open.
    bool Holding() const { return m_failure.empty(); }
    const std::string& Failure() const { return m_failure; }
    // Lets go of the file; true when the process then ended by itself with exit code 0.
    bool Release();

  private:
    CHandle m_ready;
    CHandle m_release;
    CHandle m_process;
    std::string m_failure;
};
} // namespace faults
