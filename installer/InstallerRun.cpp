#include <windows.h>

#include "InstallerRun.h"

#include "InstallerSettings.h"
#include "RynTaskThread.h"

void RunInstaller(HINSTANCE instance) {
    InitKnownFolderSettings();
    ryn::InitUIThread();
    ryn::StartIOThread();

    // The setup dialog and its message loop join here once the toolkit exists.
    (void)instance;

    ryn::ExitUIThread();
    ryn::StopIOThread();
}
