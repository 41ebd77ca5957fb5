#include "app/about_dlg.h"

#include "app/resource.h"

CAboutDlg::CAboutDlg(HINSTANCE instance) : win::Dialog(IDD_ABOUTBOX, instance) {}
