#pragma once

#include <windows.h>

// The application: runs the main dialog modally and ends when it ends.
class CFlashApp {
public:
    explicit CFlashApp(HINSTANCE instance) : instance_(instance) {}
    // Returns false: the application ends when the dialog has ended.
    bool InitInstance();

private:
    HINSTANCE instance_;
};
