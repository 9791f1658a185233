#include "tests/e2e/support/StringTable.h"

#include "peerkit/DialogDriver.h"

#include <algorithm>
#include <vector>

namespace e2e
{
namespace
{
constexpr int kButtonIds[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};

std::string Narrow(const wchar_t* text, int length, UINT codePage)
{
    int size = ::WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, 0, text, length, &narrow[0], size, nullptr, nullptr);
    return narrow;
}
} // namespace

std::string LoadedText(UINT id)
{
    std::vector<char> buffer(8200);
    int length =
        ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer.data(), static_cast<int>(buffer.size()));
    return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

// A string block holds 16 counted UTF-16 strings; entry id lies in block id / 16 + 1.
std::string TableText(UINT id, LANGID language, UINT codePage)
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC block = ::FindResourceExA(module, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(id / 16 + 1), language);
    if (!block)
        return std::string();
    const wchar_t* text = static_cast<const wchar_t*>(::LockResource(::LoadResource(module, block)));
    const wchar_t* end = text + ::SizeofResource(module, block) / sizeof(wchar_t);
    for (UINT index = 0; text && text < end; ++index)
    {
        int length = *text++;
        if (index == id % 16)
            return text + length <= end ? Narrow(text, length, codePage) : std::string();
        text += length;
    }
    return std::string();
}

::testing::AssertionResult IsMessageBox(HWND box, const std::string& text, const std::string& caption,
                                        HWND owner, std::initializer_list<int> buttons, int defaultButton)
{
    if (!box)
        return ::testing::AssertionFailure() << "no message box";
    std::string shown = peerkit::CDialogDriver::MessageText(box);
    if (shown != text)
        return ::testing::AssertionFailure() << "the box reads\n" << shown << "\ninstead of\n" << text;
    if (peerkit::CDialogDriver::Caption(box) != caption)
        return ::testing::AssertionFailure() << "caption " << peerkit::CDialogDriver::Caption(box);
    if (::GetWindow(box, GW_OWNER) != owner)
        return ::testing::AssertionFailure() << "the box is not owned by PeerWindow";
    for (int id : kButtonIds)
    {
        HWND button = ::GetDlgItem(box, id);
        bool shows = button && ::IsWindowVisible(button);
        if (shows != (std::find(buttons.begin(), buttons.end(), id) != buttons.end()))
            return ::testing::AssertionFailure() << "button " << id << (shows ? " shows" : " is missing");
    }
    for (int id : buttons)
    {
        // The box gives its default button the default push-button style (and the focus).
        bool isDefault =
            (::GetWindowLongA(::GetDlgItem(box, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        if (isDefault != (id == defaultButton))
            return ::testing::AssertionFailure()
                   << "button " << id << (isDefault ? " is" : " is not") << " the default";
    }
    return ::testing::AssertionSuccess();
}
} // namespace e2e
