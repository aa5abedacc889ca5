#include "InstallerSettings.h"

#include "Logger.h"

InstallerSettings& Settings() {
    static InstallerSettings settings;
    return settings;
}

void InitKnownFolderSettings() {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) {
        RYN_LOG(3, "RunInstaller").AppendFormat(L"GetVersionEx failed: %d", GetLastError());
        return;
    }
    InstallerSettings& settings = Settings();
    settings.knownFolderSupport = version.dwMajorVersion >= 6;
    if (!settings.knownFolderSupport) return;
    // shell32 stays loaded for the whole run; the lookup is used until the process ends.
    HMODULE shell32 = LoadLibraryW(L"shell32.dll");
    if (shell32 == nullptr) {
        RYN_LOG(3, "RunInstaller").AppendFormat(L"LoadLibrary shell32.dll failed: %d", GetLastError());
        return;
    }
    settings.knownFolderLookup =
        reinterpret_cast<SHGetKnownFolderPathFn>(GetProcAddress(shell32, "SHGetKnownFolderPath"));
    if (settings.knownFolderLookup == nullptr) {
        RYN_LOG(2, "RunInstaller").Append(L"SHGetKnownFolderPath not found; using the older folder functions");
    }
}

KnownFolderAccess KnownFolders() {
    KnownFolderAccess access;
    access.useKnownFolders = Settings().knownFolderSupport;
    access.lookup = Settings().knownFolderLookup;
    return access;
}
