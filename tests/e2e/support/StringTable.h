// The assistant's texts as a test expects them, read from the same string tables (the test links
// $<TARGET_OBJECTS:da_strings>), and the check of a message box against them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <string>

namespace e2e
{
constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);

// The entry as the system's choice of resource language gives it, in the ANSI code page: what the
// assistant, in the same locale, shows.
std::string LoadedText(UINT id);
// The entry of one language's table in the given code page; empty when there is none.
std::string TableText(UINT id, LANGID language, UINT codePage);

// box shows exactly text under caption, is owned by owner, and has exactly the given buttons with
// defaultButton as the default.
::testing::AssertionResult IsMessageBox(HWND box, const std::string& text, const std::string& caption,
                                        HWND owner, std::initializer_list<int> buttons, int defaultButton);
} // namespace e2e
