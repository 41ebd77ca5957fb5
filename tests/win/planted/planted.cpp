// A DLL that somebody placed beside the tool: loading it is what must not happen.
#include <windows.h>

extern "C" __declspec(dllexport) int PlantedMarker() {
    return 42;
}
