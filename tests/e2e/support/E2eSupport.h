// Scope guards shared by the end-to-end tests.
#pragma once

#include "tests/support/TestFiles.h"

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

using testfiles::CTempFolder;
using testfiles::FileExists;
using testfiles::FileIndex;
using testfiles::NamesIn;
using testfiles::ReadBytes;
using testfiles::RemoveTree;
using testfiles::WriteBytes;
} // namespace e2e
