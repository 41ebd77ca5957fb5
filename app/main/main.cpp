#include <windows.h>

#include "app/process_hardening.h"
#include "app/vedarod_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RestrictDllSearchPath();
    CVedArodApp app(instance);
    app.InitInstance();
    return 0;
}
