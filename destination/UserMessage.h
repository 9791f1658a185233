// The one way the assistant puts a message box before the user.
#pragma once

#include <windows.h>

#include <string>

// MessageBoxA with MB_SETFOREGROUND added: the box's owner belongs to the peer, another process,
// so without it Windows may leave the box behind the window the user is working in.
int ShowUserMessage(HWND owner, const std::string& text, const std::string& caption, UINT style);
