#pragma once

// The application: runs the main dialog modally and ends with it.
class CFlashApp {
public:
    // Returns false: the application ends when the dialog ends.
    bool InitInstance();
};
