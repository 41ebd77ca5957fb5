// The stand-in target application: a window whose caption is string 57344.
//
//   standin                   shows the main window until it is closed
//   standin /show-ms <n>      shows the main window for n milliseconds, then exits
//   standin /print <file>     writes what it loads as UTF-8 lines "key=value" to file and
//                             exits without a window: the strings 57344, 57345, 101, 102,
//                             103, 110 and 111 (as LoadStringW finds them for the user's
//                             language; backslash, CR and LF escaped as \\, \r, \n), the
//                             size of each icon image 1 to 4 ("icon1=16x16"), the size of
//                             the large icon loaded from the icon group ("icon=32x32" or
//                             "icon=none"), and the user interface language ("lang=2052").
//
// Exit status: 0 done, 1 the file could not be written or the window not created,
// 2 unknown arguments.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "resource.h"

namespace {

const wchar_t kClassName[] = L"VedArodStandInWindow";
const UINT_PTR kCloseTimer = 1;

std::wstring LoadText(HINSTANCE instance, UINT id) {
    // With a buffer size of 0, LoadStringW hands out a pointer into the resource itself.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\\':
                out += L"\\\\";
                break;
            case L'\n':
                out += L"\\n";
                break;
            case L'\r':
                out += L"\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::wstring SizeText(long width, long height) {
    return std::to_wstring(width) + L"x" + std::to_wstring(height);
}

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The size an RT_ICON image states: a PNG stream's IHDR, or the bitmap header (whose
// height counts the colour and the mask rows).
std::wstring IconImageSize(HINSTANCE instance, int id) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
    if (found == nullptr) {
        return L"none";
    }
    const DWORD size = SizeofResource(instance, found);
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(instance, found)));
    if (data == nullptr) {
        return L"none";
    }
    if (size >= 24 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') {
        return SizeText(static_cast<long>(BigEndian32(data + 16)),
                        static_cast<long>(BigEndian32(data + 20)));
    }
    if (size < sizeof(BITMAPINFOHEADER)) {
        return L"invalid";
    }
    BITMAPINFOHEADER header;
    CopyMemory(&header, data, sizeof header);
    return SizeText(header.biWidth, header.biHeight / 2);
}

std::wstring LargeIconSize(HINSTANCE instance) {
    HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXICON),
                                               GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    if (icon == nullptr) {
        return L"none";
    }
    std::wstring result = L"none";
    ICONINFO info;
    if (GetIconInfo(icon, &info)) {
        BITMAP bitmap;
        if (info.hbmColor != nullptr && GetObjectW(info.hbmColor, sizeof bitmap, &bitmap)) {
            result = SizeText(bitmap.bmWidth, bitmap.bmHeight);
        }
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    DestroyIcon(icon);
    return result;
}

int PrintLoaded(HINSTANCE instance, const wchar_t* path) {
    std::wstring text;
    for (UINT id : {IDS_APP_TITLE, IDS_IDLE, IDS_OLE_INIT_FAILED, IDS_NEW_DOC, IDS_FIRMWARE,
                    IDS_PRODUCT, IDS_DOC_TEMPLATE}) {
        text += std::to_wstring(id) + L"=" + Escape(LoadText(instance, id)) + L"\n";
    }
    for (int id = 1; id <= 4; ++id) {
        text += L"icon" + std::to_wstring(id) + L"=" + IconImageSize(instance, id) + L"\n";
    }
    text += L"icon=" + LargeIconSize(instance) + L"\n";
    text += L"lang=" + std::to_wstring(GetUserDefaultUILanguage()) + L"\n";

    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &utf8[0], bytes, nullptr, nullptr);

    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == utf8.size() ? 0 : 1;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kCloseTimer) {
                DestroyWindow(window);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

int ShowMainWindow(HINSTANCE instance, int showCommand, long closeAfterMs) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) {
        return 1;
    }
    const std::wstring caption = LoadText(instance, IDS_APP_TITLE);
    HWND window =
        CreateWindowExW(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 400, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    if (closeAfterMs >= 0) {
        SetTimer(window, kCloseTimer, static_cast<UINT>(closeAfterMs), nullptr);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) {
        return 2;
    }
    int status = 2;
    if (argc == 1) {
        status = ShowMainWindow(instance, showCommand, -1);
    } else if (argc == 3 && lstrcmpiW(argv[1], L"/print") == 0) {
        status = PrintLoaded(instance, argv[2]);
    } else if (argc == 3 && lstrcmpiW(argv[1], L"/show-ms") == 0) {
        wchar_t* end = nullptr;
        const long ms = std::wcstol(argv[2], &end, 10);
        if (*argv[2] != L'\0' && *end == L'\0' && ms >= 0) {
            status = ShowMainWindow(instance, showCommand, ms);
        }
    }
    LocalFree(argv);
    return status;
}
