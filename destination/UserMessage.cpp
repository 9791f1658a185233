#include "destination/UserMessage.h"

int ShowUserMessage(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), style | MB_SETFOREGROUND);
}
