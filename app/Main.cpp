// The assistant's entry point: no command-line arguments, one application object.
#include "app/AssistantApp.h"

CAssistantApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return AfxWinMain();
}
