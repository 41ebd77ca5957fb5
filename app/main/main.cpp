#include <windows.h>

#include "app/vedarod_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CVedArodApp app(instance);
    app.InitInstance();
    return 0;
}
