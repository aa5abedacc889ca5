// A module of its own for the crash reporter tests: the fault happens here, outside the program file.
#include <windows.h>

extern "C" __declspec(dllexport) __attribute__((noinline)) void CrashModWrite(volatile int* target) { *target = 7; }
