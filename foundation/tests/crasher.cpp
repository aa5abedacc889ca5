// Child of the crash reporter tests: installs the reporter on FOLDER, then faults as asked.
//   crasher null FOLDER    : writes to address 0 in the program itself
//   crasher module FOLDER  : faults inside crashmod.dll, called through two frames of the program
//   crasher rmdir FOLDER   : removes FOLDER after installing, then writes to address 0
// Built without optimisation and with frame pointers so the reporter's stack walk sees every frame.
#include <windows.h>

#include <cwchar>

#include "CrashReporter.h"

namespace {

using CrashFn = void (*)(volatile int*);

__attribute__((noinline)) void Inner(CrashFn crash, int depth) {
    volatile int* target = nullptr;
    if (depth > 0) crash(target);
}

__attribute__((noinline)) void Outer(CrashFn crash) { Inner(crash, 1); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    ryn::InstallCrashHandler(argv[2], L"QVI");
    if (wcscmp(argv[1], L"module") == 0) {
        HMODULE module = LoadLibraryW(L"crashmod.dll");
        if (module == nullptr) return 3;
        Outer(reinterpret_cast<CrashFn>(GetProcAddress(module, "CrashModWrite")));
        return 4;
    }
    if (wcscmp(argv[1], L"rmdir") == 0) RemoveDirectoryW(argv[2]);
    volatile int* volatile target = nullptr;
    *target = 1;
    return 5;
}
