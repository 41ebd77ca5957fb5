#include "app/vedarod_app.h"

#include <commctrl.h>

#include "app/vedarod_dlg.h"
#include "win/user_prompts.h"

void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
}

CVedArodApp::CVedArodApp(HINSTANCE instance) : instance_(instance) {}

BOOL CVedArodApp::InitInstance() {
    InitCommonControlClasses();
    // Restart support only: Windows may restart the tool after an update or a reboot.
    RegisterApplicationRestart(L"", 0);

    win::SystemPrompts prompts(u"VedArod");
    CVedArodDlg dialog(prompts, instance_);
    dialog.DoModal(nullptr);
    return FALSE;
}
