// A record from the uninstall job to its dialog: progress (0), finished (1) or error (2). Copied by value; the
// receiver runs on the UI thread.
#pragma once

#include "RynString.h"

struct UninstallNotify {
    enum Type { kProgress = 0, kFinished = 1, kError = 2 };
    int type = kProgress;
    ryn::RynString text;
    int progress = 0;
    bool hasProgress = false;
};

// Where records go: the uninstall dialog's OnUninstallNotify in the program, a recorder in tests.
using UninstallNotifyReceiver = void (*)(const UninstallNotify& notify);
