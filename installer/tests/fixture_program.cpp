// Stands in for the client's Quorvia.exe in the engine tests: it carries a version resource, and with "--wait"
// it stays alive so a test can watch the job end it.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && wcscmp(argv[1], L"--wait") == 0) Sleep(600000);
    return 0;
}
