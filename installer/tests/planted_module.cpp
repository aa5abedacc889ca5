// A module planted where the installer writes its plug-in: if it is ever loaded, it leaves a marker beside itself.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH - 16);
    if (length == 0) return TRUE;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash == nullptr) return TRUE;
    lstrcpyW(slash + 1, L"planted-ran.txt");
    HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}
