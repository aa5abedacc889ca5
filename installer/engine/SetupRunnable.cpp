#include "SetupRunnable.h"

#include <functional>
#include <vector>

#include "InstallerSettings.h"
#include "Logger.h"
#include "PayloadExtraction.h"
#include "ProductRegistration.h"
#include "RegistryKey.h"
#include "RynException.h"
#include "RynFunctionalRunnable.h"
#include "RynTaskSwitchScope.h"
#include "RynTaskThread.h"
#include "SystemOperations.h"

namespace {

const char kRunning[] = "SetupRunnable::OnRunning";
const char kStopService[] = "SetupRunnable::DoStopQuorPlatform";
const char kClearFolder[] = "SetupRunnable::ClearInstallFolder";

const wchar_t kGenericMessage[] =
    L"安装程序出现未知错误，请尝试重新下载安装包或联系我们\r\n（24小时免费客服热线：400-000-0000）";
const wchar_t kServiceMessage[] =
    L"停止当前版本的服务程序时出现异常，暂时无法安装新版本，建议重启计算机或联系我们\r\n（24小时免费客服热线：400-000-"
    L"0000）";
const wchar_t kFolderNotEmptyMessage[] = L"所选的安装目录下已存在其它文件，无法安装Oplanda，请重新选择安装目录！";
const wchar_t kNoProgramFilesMessage[] =
    L"生成安装路径失败，无法安装新版本，请重启计算机或联系我们\r\n（24小时免费客服热线：400-000-0000）";
const wchar_t kDiskFullMessage[] = L"系统盘空间已满，安装无法继续\r\n（24小时免费客服热线：400-000-0000）";
const wchar_t kNoPermissionMessage[] =
    L"无法释放文件到安装目录，您可能权限不足\r\n（24小时免费客服热线：400-000-0000）";

const wchar_t kServiceName[] = L"Quorvia Platform Service";
const wchar_t* const kProcesses[] = {L"QuorviaNotification.exe", L"Quorvia.exe", L"Quorvia.dll",
                                     L"QuorPlatformService.exe"};
const wchar_t* const kRuntimeFiles[] = {L"QvUninstaller.exe", L"Quorvia.exe", L"d3dcompiler_47.dll",
                                        L"ffmpegsumo.dll",    L"icudtl.dat",  L"libEGL.dll",
                                        L"libGLESv2.dll",     L"nw.pak",      L"pdf.dll"};

struct ServiceHandle {
    SC_HANDLE handle = nullptr;
    ~ServiceHandle() {
        if (handle != nullptr) CloseServiceHandle(handle);
    }
};

}  // namespace

SetupRunnable::SetupRunnable(SetupNotifyReceiver receiver)
    : mResourceModule(GetModuleHandleW(nullptr)), mReceiver(receiver) {}

SetupRunnable::~SetupRunnable() {
    if (mArchiveModule != nullptr) FreeLibrary(mArchiveModule);
}

void SetupRunnable::Notify(const wchar_t* text, int progress) {
    SetupNotify notify;
    notify.type = SetupNotify::kProgress;
    notify.text = text;
    notify.progress = progress;
    notify.hasProgress = true;
    ryn::RynTaskSwitchScope onUI(*mTask, ryn::kRynUIThread);
    if (mReceiver != nullptr) mReceiver(notify);
}

void SetupRunnable::Post(const SetupNotify& notify) {
    if (mReceiver == nullptr) return;
    ryn::PostRunnable(ryn::kRynUIThread, new ryn::RynFunctionalRunnable(std::bind(mReceiver, notify)));
}

void SetupRunnable::Fail(const wchar_t* message) {
    SetupNotify notify;
    notify.type = SetupNotify::kError;
    notify.text = message;
    Post(notify);
}

void SetupRunnable::OnRunning(ryn::RynTask& task) {
    mTask = &task;
    mUseKnownFolders = Settings().knownFolderSupport ? 1 : 0;
    RYN_LOG(1, kRunning).AppendFormat(L"SetupRunnable Started, mInstallFolder: %s", mInstallFolder.c_str());

    Notify(L"正在停止基础服务", 1);
    bool serviceFailed = false;
    DoStopQuorPlatform(&serviceFailed);
    if (serviceFailed) return Fail(kServiceMessage);

    Notify(L"停止正在运行的程序", 3);
    for (const wchar_t* name : kProcesses) KillProcessByName(name);

    if (!mInstallFolder.IsEmpty()) {
        std::vector<ryn::RynString> folders;
        std::vector<ryn::RynString> files;
        ListFolderContent(mInstallFolder, ryn::RynString(), folders, files);
        if (!folders.empty() || !files.empty()) return Fail(kFolderNotEmptyMessage);
    } else {
        ryn::RynString previous;
        ClearInstallFolder(&previous);
        if (!previous.IsEmpty()) mInstallFolder = previous;
    }
    if (mInstallFolder.IsEmpty()) {
        KnownFolderAccess folders = KnownFolders();
        folders.useKnownFolders = mUseKnownFolders != 0;
        HRESULT hr = S_OK;
        const ryn::RynString programFiles = GetProgramFilesFolder(folders, &hr);
        if (FAILED(hr)) {
            RYN_LOG(3, kRunning).AppendFormat(L"获取ProgramFiles目录失败，安装程序终止！HRESULT: %X", hr);
            return Fail(kNoProgramFilesMessage);
        }
        mInstallFolder = CombinePath(programFiles, L"Quorvia\\");
        CreateDirectoryW(mInstallFolder.c_str(), nullptr);
    }

    KnownFolderAccess folders = KnownFolders();
    folders.useKnownFolders = mUseKnownFolders != 0;
    RemoveOlderShortcuts(folders);

    if (!LoadArchiveModule()) return Fail(kGenericMessage);
    if (!CopyAndExtractPayload()) return;  // it has posted its own message

    Notify(L"正在生成卸载程序", 90);
    WriteUninstaller();

    if (!WriteUninstallEntry(mInstallFolder)) {
        // Without the entry the product cannot be removed or found again: say so instead of stopping at 90 %.
        return Fail(kGenericMessage);
    }
    WriteLogOnEntry(mInstallFolder, mBootLaunchApp != 0);

    Notify(L"正在创建快捷方式", 100);
    const ryn::RynString launchPath = CreateShortcuts(mInstallFolder, folders);

    SetupNotify finished;
    finished.type = SetupNotify::kFinished;
    finished.path = launchPath;
    ryn::RynTaskSwitchScope onUI(*mTask, ryn::kRynUIThread);
    if (mReceiver != nullptr) mReceiver(finished);
}

bool SetupRunnable::LoadArchiveModule() {
    const ryn::RynString path = CombinePath(Settings().tempFolder, L"7zxr.mt.dll");
    const ResourceBytes plugin = FindResourceBytes(mResourceModule, L"DLLFILE", 129);
    if (!plugin) {
        RYN_LOG(3, kRunning).Append(L"释放7zxr.mt.dll时失败，安装过程中止");
        return false;
    }
    RYN_LOG(1, kRunning).AppendFormat(L"正在释放“7zxr.mt.dll”，文件大小：%d", static_cast<int>(plugin.size));
    // The installer runs elevated and the temporary folder belongs to the user: load only the bytes we wrote,
    // held against change until the loader has mapped them.
    LockedFile lock;
    HRESULT error = S_OK;
    if (WriteOutLocked(path, plugin, lock, &error) != WriteOutResult::kOk) {
        RYN_LOG(3, kRunning)
            .AppendFormat(L"“7zxr.mt.dll”文件释放失败，安装过程中止！HRESULT: %X\r\n路径：%s", error, path.c_str());
        return false;
    }
    mArchiveModulePath = path;
    mArchiveModule = LoadLibraryW(path.c_str());
    if (mArchiveModule == nullptr) {
        RYN_LOG(3, kRunning).Append(L"“7zxr.mt.dll”文件载入失败");
        return false;
    }
    RYN_LOG(1, kRunning).AppendFormat(L"释放并加载7zxr.mt.dll成功，释放位置：%s", path.c_str());
    return true;
}

bool SetupRunnable::CopyAndExtractPayload() {
    Notify(L"正在复制安装包...", 4);
    const ryn::RynString archivePath = CombinePath(Settings().tempFolder, L"RunImage.7z");
    const ResourceBytes image = FindResourceBytes(mResourceModule, L"RUNIMAGE", 100);
    if (!image) {
        RYN_LOG(3, kRunning).Append(L"找不到资源RunImage.7z，安装过程中止");
        Fail(kGenericMessage);
        return false;
    }
    RYN_LOG(1, kRunning).AppendFormat(L"正在释放“RunImage.7z”，文件大小：%d", static_cast<int>(image.size));
    LockedFile lock;  // the archive stays exactly as written until it has been unpacked
    HRESULT error = S_OK;
    switch (WriteOutLocked(archivePath, image, lock, &error)) {
        case WriteOutResult::kOk:
            break;
        case WriteOutResult::kCreateFailed:
            RYN_LOG(3, kRunning)
                .AppendFormat(L"RunImage.7z文件创建失败，安装过程中止！HRESULT: %X\r\n路径：%s", error,
                              archivePath.c_str());
            Fail(kGenericMessage);
            return false;
        case WriteOutResult::kWriteFailed:
        case WriteOutResult::kChanged:
            RYN_LOG(3, kRunning)
                .AppendFormat(L"RunImage.7z文件写入失败，安装过程中止！HRESULT: %X\r\n路径：%s", error,
                              archivePath.c_str());
            Fail(kGenericMessage);
            return false;
    }
    RYN_LOG(1, kRunning).AppendFormat(L"释放RunImage.7z成功。路径：%s", archivePath.c_str());

    Notify(ryn::FormatString(L"正在释放文件：%d %%", 0).c_str(), 5);
    const ExtractOutcome outcome =
        ExtractArchive(mArchiveModule, mArchiveModulePath, archivePath, mInstallFolder, this);
    switch (outcome.stage) {
        case ExtractOutcome::kDone:
            break;
        case ExtractOutcome::kNoArchiveObject:
            RYN_LOG(3, kRunning)
                .AppendFormat(L"7zxr.mt.dll无法创建解压对象，安装过程中止！HRESULT: %X", outcome.result);
            Fail(kGenericMessage);
            return false;
        case ExtractOutcome::kStreamNotOpened:
            RYN_LOG(3, kRunning)
                .AppendFormat(L"RunImage.7z文件载入失败，安装过程中止！\r\n路径：%s", archivePath.c_str());
            Fail(kGenericMessage);
            return false;
        case ExtractOutcome::kArchiveNotOpened:
            RYN_LOG(3, kRunning)
                .AppendFormat(L"准备解压缩时打开RunImage.7z文件失败，安装过程中止！\r\n路径：%s", archivePath.c_str());
            Fail(kGenericMessage);
            return false;
        case ExtractOutcome::kExtractFailed:
            RYN_LOG(3, kRunning)
                .AppendFormat(
                    L"RunImage.7z解压失败，安装过程中止！HRESULT: %X\r\n路径：%s\r\n安装目录：%s\r\nLibExists: %d",
                    outcome.result, archivePath.c_str(), mInstallFolder.c_str(), outcome.libraryExists ? 1 : 0);
            Fail(outcome.result == HRESULT_FROM_WIN32(ERROR_DISK_FULL) ? kDiskFullMessage : kNoPermissionMessage);
            return false;
    }
    if (outcome.errorCount != 0) {
        // Items that failed their data check are damaged on disk: this is no successful installation.
        RYN_LOG(3, kRunning)
            .AppendFormat(L"RunImage.7z解压时有%I64u个文件校验失败，安装过程中止！\r\n路径：%s", outcome.errorCount,
                          archivePath.c_str());
        Fail(kGenericMessage);
        return false;
    }
    {
        ryn::Logger list(1, kRunning, __LINE__);
        list.Append(L"RunImage.7z解压缩成功，文件列表如下：\r\n");
        for (const ryn::RynString& path : outcome.paths) {
            list.Message().Append(path);
            list.Append(L"\r\n");
        }
    }
    lock.Release();
    const BOOL deleted = DeleteFileW(archivePath.c_str());
    RYN_LOG(1, kRunning).AppendFormat(L"删除RunImage.7z结果: %d", deleted ? 1 : 0);
    return true;
}

void SetupRunnable::WriteUninstaller() {
    const ResourceBytes uninstaller = FindResourceBytes(mResourceModule, L"EXEFILE", 110);
    if (!uninstaller) {
        RYN_LOG(1, kRunning).Append(L"未找到资源文件QvUninstaller.exe");
        return;
    }
    const ryn::RynString path = CombinePath(mInstallFolder, L"QvUninstaller.exe");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        RYN_LOG(3, kRunning).AppendFormat(L"QvUninstaller.exe文件创建失败，HRESULT: %X", ryn::HResultFromLastError());
        return;
    }
    DWORD written = 0;
    if (WriteFile(file, uninstaller.data, uninstaller.size, &written, nullptr) && written == uninstaller.size) {
        RYN_LOG(1, kRunning).Append(L"QvUninstaller.exe释放成功");
    } else {
        RYN_LOG(3, kRunning).AppendFormat(L"QvUninstaller.exe文件释放失败，HRESULT: %X", ryn::HResultFromLastError());
    }
    CloseHandle(file);
}

void SetupRunnable::SetTotal(uint64_t total) { mTotalSize = static_cast<UINT32>(total); }

void SetupRunnable::SetCompleted(uint64_t completed) {
    if (mTotalSize == 0) return;  // nothing to measure against
    const uint64_t position = completed * 80 / mTotalSize + 5;
    const uint64_t percent = completed * 100 / mTotalSize;
    if (position <= static_cast<uint32_t>(mLastProgress)) return;
    mLastProgress = static_cast<int>(position);
    SetupNotify notify;
    notify.type = SetupNotify::kProgress;
    notify.text.Format(L"正在释放文件：%d %%", static_cast<int>(percent));
    notify.progress = static_cast<int>(position);
    notify.hasProgress = true;
    Post(notify);
}

void SetupRunnable::DoStopQuorPlatform(bool* failed) {
    *failed = false;
    ServiceHandle manager;
    manager.handle = OpenSCManagerW(nullptr, L"ServicesActive", SC_MANAGER_ALL_ACCESS);
    if (manager.handle == nullptr) {
        RYN_LOG(3, kStopService).AppendFormat(L"OpenSCManager Error: %d", GetLastError());
        *failed = true;
        return;
    }
    ServiceHandle service;
    service.handle = OpenServiceW(manager.handle, kServiceName, SERVICE_ALL_ACCESS);
    if (service.handle == nullptr) {
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
            RYN_LOG(1, kStopService).Append(L"Quorvia Platform Service Does NOT Exists");
        } else {
            RYN_LOG(3, kStopService).AppendFormat(L"OpenService Error: %d", error);
            *failed = true;
        }
        return;
    }
    SERVICE_STATUS status = {};
    ControlService(service.handle, SERVICE_CONTROL_STOP, &status);
    RYN_LOG(1, kStopService).AppendFormat(L"Stopping Service Status: %d", status.dwCurrentState);
    for (int left = 10; left > 0 && status.dwCurrentState != SERVICE_STOPPED; --left) {
        Sleep(500);
        ControlService(service.handle, SERVICE_CONTROL_STOP, &status);
        RYN_LOG(1, kStopService).AppendFormat(L"Stopping Service Retry: %d, Status: %d", left, status.dwCurrentState);
    }
    if (status.dwCurrentState == SERVICE_STOPPED) {
        const BOOL deleted = DeleteService(service.handle);
        RYN_LOG(1, kStopService).AppendFormat(L"Delete Service Result: %d", deleted);
        if (!deleted) {
            *failed = true;
        } else {
            Sleep(3000);
        }
    } else {
        RYN_LOG(3, kStopService).Append(L"Failed to Stop Service");
        *failed = true;
    }
}

void SetupRunnable::ClearInstallFolder(ryn::RynString* previousFolder) {
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kUninstallKeyPath, KEY_READ) != ERROR_SUCCESS) return;
    wchar_t location[MAX_PATH] = L"";
    DWORD n = MAX_PATH;
    if (ReadRegistryString(key.Get(), L"InstallLocation", location, &n) != ERROR_SUCCESS) return;
    RYN_LOG(3, kClearFolder).AppendFormat(L"从注册表中取到原有的安装路径：%s", location);
    *previousFolder = location;
    for (const wchar_t* name : kRuntimeFiles) DeleteFileW(CombinePath(*previousFolder, name).c_str());
    ShellDeleteFolder(CombinePath(*previousFolder, L"locales"));
}
