// The About box: the tool's icon, an empty line of text and "确定".
#pragma once

#include "win/dialog.h"

class CAboutDlg : public win::Dialog {
public:
    explicit CAboutDlg(HINSTANCE instance);
};
