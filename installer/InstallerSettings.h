// Process-wide settings of the installer: written on the main thread during start-up, before any thread that
// reads them exists, and never changed afterwards; read from any thread.
#pragma once

#include <windows.h>

#include "ProductFolders.h"
#include "RynString.h"

struct InstallerSettings {
    ryn::RynString tempFolder;        // <user temp>\Quorvia\Temp: plug-in and archive while installing
    bool knownFolderSupport = false;  // system major version 6 or higher
    SHGetKnownFolderPathFn knownFolderLookup = nullptr;  // resolved by name; null falls back to the older calls
};

InstallerSettings& Settings();
// Fills the known-folder support and lookup from the system version (the lookup resolved by name from shell32).
void InitKnownFolderSettings();
// The known-folder settings as the folder look-ups take them.
KnownFolderAccess KnownFolders();
