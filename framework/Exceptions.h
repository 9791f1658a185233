// The exception types of the framework layer and the one helper that catches them at an edge.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <utility>

// Base of every framework exception; std::bad_alloc plays the memory exception.
class CException : public std::exception
{
  public:
    const char* what() const noexcept override { return "framework exception"; }
};

// A framework exception that carries the Windows error number of the failing step, or 0.
class CNumberedException : public CException
{
  public:
    std::uint32_t Error() const noexcept { return m_dwError; }

  protected:
    explicit CNumberedException(std::uint32_t error) : m_dwError(error) {}

  private:
    std::uint32_t m_dwError;
};

// The general failure signal.
class CUserException : public CNumberedException
{
  public:
    explicit CUserException(std::uint32_t error = 0) : CNumberedException(error) {}
    const char* what() const noexcept override { return "user exception"; }
};

class CFileException : public CNumberedException
{
  public:
    CFileException(std::uint32_t osError, std::string fileName)
        : CNumberedException(osError), m_strFileName(std::move(fileName))
    {
    }
    std::uint32_t OsError() const noexcept { return Error(); }
    const std::string& FileName() const noexcept { return m_strFileName; }
    const char* what() const noexcept override { return "file exception"; }

  private:
    std::string m_strFileName;
};

// A kernel object or resource that cannot be created or found.
class CResourceException : public CNumberedException
{
  public:
    explicit CResourceException(std::uint32_t error = 0) : CNumberedException(error) {}
    const char* what() const noexcept override { return "resource exception"; }
};

// Runs an operation at an edge (handler, callback, thread procedure): true when it returned,
// false when anything was thrown. Nothing escapes.
template <class Operation> bool RunAtEdge(Operation&& operation) noexcept
{
    try
    {
        std::forward<Operation>(operation)();
        return true;
    }
    catch (...)
    {
        return false;
    }
}

// The Windows error number an exception carries, for an edge that answers with one: the number of
// a user, file or resource exception, 8 (out of memory) for std::bad_alloc, 31 (a device attached
// to the system is not functioning) for anything else, and for a carried 0, which would read as
// success.
inline std::uint32_t ErrorOfCurrentException() noexcept
{
    std::uint32_t error = 0;
    try
    {
        throw;
    }
    catch (const CNumberedException& failure)
    {
        error = failure.Error();
    }
    catch (const std::bad_alloc&)
    {
        error = 8; // ERROR_NOT_ENOUGH_MEMORY
    }
    catch (...)
    {
    }
    return error ? error : 31; // ERROR_GEN_FAILURE
}

// Runs an operation at an edge that answers with a Windows error number: 0 when it returned, else
// the number of what it threw (ErrorOfCurrentException).
template <class Operation> std::uint32_t ErrorOfAttempt(Operation&& operation) noexcept
{
    try
    {
        std::forward<Operation>(operation)();
        return 0;
    }
    catch (...)
    {
        return ErrorOfCurrentException();
    }
}
