// Resource identifiers of update.exe, shared by updater.rc and the code.
#pragma once

#define IDD_UPDATE 101          // the child dialog with the button and the bar
#define IDS_APP_TITLE 103       // window title
#define IDS_WINDOW_CLASS 109    // window class name
#define IDI_UPDATE 130          // window icon, large and small
#define IDC_UPDATE_BUTTON 1000  // the "更新" button
#define IDC_PROGRESS 1001       // the copy's progress bar, range 0 to 100
