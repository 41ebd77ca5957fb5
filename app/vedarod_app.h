// The application object: registers the common controls, runs the main dialog, and ends
// the program when the dialog ends.
#pragma once

#include <windows.h>

class CVedArodApp {
public:
    explicit CVedArodApp(HINSTANCE instance);
    // Returns FALSE: the program ends with the dialog, without a message loop of its own.
    BOOL InitInstance();

private:
    HINSTANCE instance_;
};

// What every process that shows the tool's windows does first (the test programs too).
void InitCommonControlClasses();
