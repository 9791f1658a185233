#include "framework/StringResource.h"

#include <vector>

std::string AfxLoadString(UINT id)
{
    // A string-table entry holds at most 4097 characters; two bytes each covers any ANSI page.
    std::vector<char> buffer(2 * 4097 + 1);
    // The strings are the executable's own, whichever module asks.
    int length =
        ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 0)
        return std::string();
    return std::string(buffer.data(), static_cast<size_t>(length));
}
