// Resource identifiers of MarlowSetupKit.dll.
#pragma once

// MSK_VERSION_BINARY, MSK_VERSION_TEXT: configured from the CMake project version.
#include "MskVersion.h"

// Dialog templates and their controls.
#define IDD_DOWNLOAD 101
#define IDC_DOWNLOAD_PROGRESS 138
#define IDD_CONNECTION_ERROR 135
#define IDC_CANCEL_BUTTON 1001
#define IDC_TRY_AGAIN_BUTTON 1002

// String table.
#define IDS_CONNECTION_ERROR 135
#define IDS_DOWNLOADING 136

// Window backgrounds (24 bits per pixel).
#define IDB_BACKGROUND 102       // 550 x 370: installer window, dialogs, button backgrounds
#define IDB_UNINSTALL_BAND 139   // 550 x 66: uninstaller window

// Skinned progress bar (24 bits per pixel).
#define IDB_BAR_LEFT_CAP 103       // 2 x 22
#define IDB_BAR_RIGHT_CAP 104      // 2 x 22
#define IDB_BAR_BOTTOM 125         // 266 x 2
#define IDB_BAR_BOTTOM_LEFT 126    // 2 x 2
#define IDB_BAR_BOTTOM_RIGHT 127   // 2 x 2
#define IDB_BAR_LEFT 128           // 2 x 22
#define IDB_BAR_RIGHT 129          // 2 x 21
#define IDB_BAR_TOP 130            // 265 x 2
#define IDB_BAR_TOP_LEFT 131       // 2 x 2
#define IDB_BAR_TOP_RIGHT 132      // 2 x 2
#define IDB_BAR_FILL 133           // 1 x 22

// Stored with the skin, used by no window.
#define IDB_SPARE_STRIP 111        // 40 x 8
#define IDB_SPARE_LINE 136         // 40 x 2
