// A record from the install job to its dialog: progress (0), finished (1) or error (2). Copied by value; the
// receiver runs on the UI thread.
#pragma once

#include "RynString.h"

struct SetupNotify {
    enum Type { kProgress = 0, kFinished = 1, kError = 2 };
    int type = kProgress;
    ryn::RynString text;  // progress text (0) or error message (2)
    int progress = 0;     // 0..100 (0)
    bool hasProgress = false;
    ryn::RynString path;  // 1: the program "Finish" starts; may be empty
};

// Where records go: the setup dialog's OnSetupNotify in the program, a recorder in tests. Called on the UI thread.
using SetupNotifyReceiver = void (*)(const SetupNotify& notify);
