// Entry of QvInstaller: working folders, log writer, crash reporter, the machine-wide single-instance lock and COM
// around the installer run; torn down in reverse order. Always exits 0.
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>

#include "CrashReporter.h"
#include "InstallerRun.h"
#include "InstallerSettings.h"
#include "Logger.h"

namespace {

// Joins part to folder and creates the result; a failure only means logs or reports will not reach disk.
bool MakeWorkingFolder(const wchar_t* folder, const wchar_t* part, wchar_t (&path)[MAX_PATH], bool create = true) {
    if (PathCombineW(path, folder, part) == nullptr) return false;
    if (create) CreateDirectoryW(path, nullptr);
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    wchar_t root[MAX_PATH] = L"";
    wchar_t logFolder[MAX_PATH] = L"";
    wchar_t tempFolder[MAX_PATH] = L"";
    wchar_t dumpFolder[MAX_PATH] = L"";
    MakeWorkingFolder(temp, L"Quorvia\\", root);
    MakeWorkingFolder(root, L"InstallLog", logFolder);
    MakeWorkingFolder(root, L"Temp", tempFolder);
    MakeWorkingFolder(root, L"Dump", dumpFolder, false);
    Settings().tempFolder = tempFolder;

    ryn::StartLogWriter(L"QVI", logFolder);
    ryn::InstallCrashHandler(dumpFolder, L"QVI");

    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Global\\QuorviaInstaller");
    const DWORD mutexError = GetLastError();
    if (mutexError == ERROR_ALREADY_EXISTS) {
        RYN_LOG(2, "wWinMain").AppendFormat(L"Mutex已存在，放弃执行。Error：%d", mutexError);
    } else {
        if (mutex == nullptr) {
            RYN_LOG(3, "wWinMain").AppendFormat(L"CreateMutex failed: %d", mutexError);
        }
        const HRESULT com = CoInitialize(nullptr);
        if (FAILED(com)) RYN_LOG(3, "wWinMain").AppendFormat(L"CoInitialize failed: %X", com);
        RunInstaller(instance);
        if (SUCCEEDED(com)) CoUninitialize();
    }
    if (mutex != nullptr) CloseHandle(mutex);
    ryn::StopLogWriter();
    return 0;
}
