// The all-users folders that hold the product's shortcuts, from the known-folder lookup when the system has one,
// else from the older CSIDL calls. Any thread with COM initialised; stateless.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "RynString.h"

using SHGetKnownFolderPathFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);

struct KnownFolderAccess {
    bool useKnownFolders = false;
    SHGetKnownFolderPathFn lookup = nullptr;
};

// The folder's path, or empty when the look-up fails (callers' file operations then fail quietly).
ryn::RynString GetAllUsersProgramsFolder(const KnownFolderAccess& access);
ryn::RynString GetAllUsersDesktopFolder(const KnownFolderAccess& access);
// Program Files; hr receives the known-folder lookup's result (S_OK on the CSIDL path).
ryn::RynString GetProgramFilesFolder(const KnownFolderAccess& access, HRESULT* hr);
