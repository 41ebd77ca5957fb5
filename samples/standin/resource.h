// Resource identifiers of the stand-in target application.
#pragma once

#define IDI_MAIN 128  // icon group; its images are RT_ICON 1 to 4
#define IDS_OLE_INIT_FAILED 101
#define IDS_NEW_DOC 102  // block 7 (ids 96..111)
#define IDS_FIRMWARE 103
#define IDS_PRODUCT 110
#define IDS_DOC_TEMPLATE 111
#define IDS_APP_TITLE 57344  // block 3585 (ids 57344..57359)
#define IDS_IDLE 57345
#define IDR_BIG_DATA 1000  // RCDATA of the large variant only

// The CAD-like variant only.
#define IDI_DOC 129  // the document icon group
#define IDS_WELCOME 200
#define IDS_COPYRIGHT 201
#define IDD_ABOUT 100
#define IDD_TIPS 101
#define IDR_MAIN 128
#define IDR_CONTEXT 130
