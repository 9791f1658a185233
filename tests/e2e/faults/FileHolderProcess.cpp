#include "tests/e2e/faults/FileHolderProcess.h"

namespace faults
{
namespace
{
constexpr DWORD kStartWait = 10000;
constexpr DWORD kEndWait = 5000;

std::string UniqueEventName(const char* role)
{
    static unsigned counter = 0;
    return std::string("e2e-faults-") + role + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

std::string HolderPath()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "e2e_faults_holder.exe";
}
} // namespace

CFileHolderProcess::CFileHolderProcess(const std::string& path)
{
    const std::string readyName = UniqueEventName("ready");
    const std::string releaseName = UniqueEventName("release");
    m_ready.Reset(::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
    m_release.Reset(::CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str()));
    const std::string holder = HolderPath();
    std::string commandLine = "\"" + holder + "\" \"" + path + "\" " + readyName + " " + releaseName;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!m_ready || !m_release ||
        !::CreateProcessA(holder.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
    {
        m_failure = "cannot start " + holder + ": error " + std::to_string(::GetLastError());
        return;
    }
    ::CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    const HANDLE waited[] = {m_ready.Get(), m_process.Get()};
    DWORD outcome = ::WaitForMultipleObjects(2, waited, FALSE, kStartWait);
    if (outcome == WAIT_OBJECT_0 + 1)
    {
        DWORD code = 0;
        ::GetExitCodeProcess(m_process.Get(), &code);
        m_failure = "the holder ended with " + std::to_string(code);
    }
    else if (outcome != WAIT_OBJECT_0)
        m_failure = "the holder did not open the file in time";
}

CFileHolderProcess::~CFileHolderProcess()
{
    Release();
}

bool CFileHolderProcess::Release()
{
    if (!m_process)
        return false;
    ::SetEvent(m_release.Get());
    bool ended = ::WaitForSingleObject(m_process.Get(), kEndWait) == WAIT_OBJECT_0;
    if (!ended)
    {
        // Ours by handle, so no other process can be hit.
        ::TerminateProcess(m_process.Get(), 99);
        ::WaitForSingleObject(m_process.Get(), kEndWait);
    }
    DWORD code = 1;
    ::GetExitCodeProcess(m_process.Get(), &code);
    m_process.Reset();
    return ended && code == 0;
}
} // namespace faults
