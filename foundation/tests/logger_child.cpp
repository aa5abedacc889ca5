// Child of the logger tests, run under the test's debug-event loop so the test sees what reaches the debugger.
//   logger_child level0 FOLDER    : a level 0 record from wWinMain line 40 with message M, and an empty one
//   logger_child nofolder FOLDER  : a writer started on a folder that does not exist, then one record
#include <windows.h>

#include <cwchar>

#include "Logger.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    ryn::StartLogWriter(L"CHD", argv[2]);
    if (wcscmp(argv[1], L"level0") == 0) {
        ryn::Logger(0, "wWinMain", 0);  // empty: nothing anywhere
        ryn::Logger(0, "wWinMain", 40).Append(L"M");
    } else if (wcscmp(argv[1], L"nofolder") == 0) {
        ryn::Logger(1, "wmain", 12).Append(L"dropped");
    }
    ryn::StopLogWriter();
    return 0;
}
