#include "UninstallRunnable.h"

#include <functional>

#include "RegistryKey.h"
#include "RynFunctionalRunnable.h"
#include "RynTaskSwitchScope.h"
#include "RynTaskThread.h"
#include "SystemOperations.h"

namespace {

const wchar_t kUninstallParent[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t* const kProcesses[] = {L"QuorviaNotification.exe", L"Quorvia.exe", L"Quorvia.dll",
                                     L"QuorPlatformService.exe"};

using RegDeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);

RegDeleteKeyExFn DeleteKeyEx() {
    static const RegDeleteKeyExFn resolved = [] {
        HMODULE advapi = GetModuleHandleW(L"Advapi32.dll");
        return advapi != nullptr ? reinterpret_cast<RegDeleteKeyExFn>(GetProcAddress(advapi, "RegDeleteKeyExW"))
                                 : nullptr;
    }();
    return resolved;
}

void DeleteProductKey(const wchar_t* parentPath) {
    RegistryKey parent;
    if (parent.Open(HKEY_LOCAL_MACHINE, parentPath, KEY_READ | KEY_WRITE) != ERROR_SUCCESS) return;
    RecurseDeleteKey(parent.Get(), L"Quorvia");
    RegFlushKey(parent.Get());
}

}  // namespace

LONG RecurseDeleteKey(HKEY parent, const wchar_t* subKey, REGSAM viewBits) {
    RegistryKey key;
    LONG result = key.Open(parent, subKey, KEY_READ | KEY_WRITE | viewBits);
    if (result != ERROR_SUCCESS) return result;
    for (;;) {
        wchar_t name[256];
        DWORD length = 256;
        result = RegEnumKeyExW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) return result;
        result = RecurseDeleteKey(key.Get(), name, viewBits);
        if (result != ERROR_SUCCESS) return result;
    }
    key.Close();
    if (RegDeleteKeyExFn deleteEx = DeleteKeyEx()) return deleteEx(parent, subKey, viewBits, 0);
    return RegDeleteKeyW(parent, subKey);
}

UninstallRunnable::UninstallRunnable(UninstallNotifyReceiver receiver, const KnownFolderAccess& folders)
    : mReceiver(receiver), mFolders(folders) {}

void UninstallRunnable::Notify(const wchar_t* text, int progress) {
    UninstallNotify notify;
    notify.text = text;
    notify.progress = progress;
    notify.hasProgress = true;
    ryn::RynTaskSwitchScope onUI(*mTask, ryn::kRynUIThread);
    if (mReceiver != nullptr) mReceiver(notify);
}

void UninstallRunnable::OnRunning(ryn::RynTask& task) {
    mTask = &task;
    ryn::RynString folder;
    {
        RegistryKey key;
        wchar_t location[MAX_PATH] = L"";
        DWORD n = MAX_PATH;
        if (key.Open(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvia",
                     KEY_READ | KEY_WRITE) == ERROR_SUCCESS &&
            ReadRegistryString(key.Get(), L"InstallLocation", location, &n) == ERROR_SUCCESS) {
            folder = location;
        }
    }

    Notify(L"正在卸载基础服务", 5);
    Sleep(1000);
    Notify(L"停止正在运行的程序", 15);
    for (const wchar_t* name : kProcesses) KillProcessByName(name);

    Notify(L"正在删除注册表项和快捷方式", 20);
    DeleteProductKey(kUninstallParent);
    DeleteProductKey(L"Software");
    // The log-on entry of the user who uninstalls would otherwise start a program that no longer exists.
    ryn::RynString runValue;
    if (!folder.IsEmpty() && GetRunValue(runValue) &&
        runValue.CompareNoCase(CombinePath(folder, L"Quorvia.exe").c_str()) == 0) {
        DeleteRunValue();
    }
    ShellDeleteFolder(CombinePath(GetAllUsersProgramsFolder(mFolders), L"Oplanda桌面版"));
    const ryn::RynString desktop = GetAllUsersDesktopFolder(mFolders);
    DeleteFileW(CombinePath(desktop, L"Oplanda桌面版.lnk").c_str());
    DeleteFileW(CombinePath(desktop, L"Oplanda.lnk").c_str());

    Notify(L"正在删除安装目录", 40);
    if (!folder.IsEmpty()) {
        Notify(L"正在删除安装目录", 50);
        for (const wchar_t* name : {L"QvUninstaller.exe", L"Quorvia.exe", L"update.exe"}) {
            DeleteFileW(CombinePath(folder, name).c_str());
        }
        ShellDeleteFolder(CombinePath(folder, L"lib"));
        if (FindFirstFileBelow(folder, ryn::RynString()).IsEmpty()) ShellDeleteFolder(folder);
    }

    UninstallNotify finished;
    finished.type = UninstallNotify::kFinished;
    if (mReceiver != nullptr) {
        ryn::PostRunnable(ryn::kRynUIThread, new ryn::RynFunctionalRunnable(std::bind(mReceiver, finished)));
    }
}
