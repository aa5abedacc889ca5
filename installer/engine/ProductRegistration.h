// Makes the installed product known to the system: the uninstall entry, the per-user log-on entry, the all-users
// shortcuts, and the removal of the shortcuts of the product's older name. Runs inside the install job on the IO
// thread (COM initialised there); stateless.
#pragma once

#include "ProductFolders.h"
#include "RynString.h"

// HKLM key of the product's uninstall entry.
extern const wchar_t kUninstallKeyPath[];

// Deletes the "Orvessa桌面版" programs-menu folder and the two old desktop shortcuts; results are ignored.
void RemoveOlderShortcuts(const KnownFolderAccess& folders);
// Writes the eleven values of the uninstall entry; false (logged) only when the key cannot be created or opened.
bool WriteUninstallEntry(const ryn::RynString& installFolder);
// Sets the "Quorvia" Run value to the client program, or removes an existing one when bootLaunch is off.
void WriteLogOnEntry(const ryn::RynString& installFolder, bool bootLaunch);
// Creates the three shortcuts; returns the desktop shortcut's target, or empty when its link object failed.
ryn::RynString CreateShortcuts(const ryn::RynString& installFolder, const KnownFolderAccess& folders);
