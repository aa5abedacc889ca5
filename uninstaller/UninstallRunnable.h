// The uninstall job: ends the product's programs, removes its registry entries, log-on entry and shortcuts, and
// deletes the installed files (keeping what the user put there). Runs as a fiber job on the IO thread, moving to
// the UI thread for its step texts; owned by the task machinery once posted. It has no failure path.
#pragma once

#include <windows.h>

#include "ProductFolders.h"
#include "RynTaskRunnable.h"
#include "UninstallNotify.h"

class UninstallRunnable : public ryn::RynTaskRunnable {
public:
    UninstallRunnable(UninstallNotifyReceiver receiver, const KnownFolderAccess& folders);
    void OnRunning(ryn::RynTask& task) override;

private:
    void Notify(const wchar_t* text, int progress);

    UninstallNotifyReceiver mReceiver;
    KnownFolderAccess mFolders;
    ryn::RynTask* mTask = nullptr;
};

// Deletes subKey of parent with all its sub-keys at any depth; returns the registry error code. viewBits are the
// KEY_WOW64_* bits of the parent's access, kept for every key opened below it.
LONG RecurseDeleteKey(HKEY parent, const wchar_t* subKey, REGSAM viewBits = 0);
