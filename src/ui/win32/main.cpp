#include <windows.h>

#include "ui/win32/CFlashApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CFlashApp app(instance);
    app.InitInstance();
    return 0;
}
