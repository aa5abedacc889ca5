#include "ProductRegistration.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <memory>

#include "ComPtr.h"
#include "Logger.h"
#include "SystemOperations.h"

const wchar_t kUninstallKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvia";

namespace {

const char kLogFunction[] = "SetupRunnable::OnRunning";
const wchar_t kProductUrl[] = L"https://www.quorvia.com/";

void SetString(HKEY key, const wchar_t* name, const ryn::RynString& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.Length() + 1) * sizeof(wchar_t)));
}

void SetDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// "%4d%02d%02d" of the file's last-write day in local time, or empty when the file is not found.
ryn::RynString BuildTimeOf(const ryn::RynString& program) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(program.c_str(), GetFileExInfoStandard, &data)) return ryn::RynString();
    SYSTEMTIME utc = {};
    SYSTEMTIME local = {};
    if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return ryn::RynString();
    }
    return ryn::FormatString(L"%4d%02d%02d", local.wYear, local.wMonth, local.wDay);
}


// One shortcut through the shell's link object; false only when the link object cannot be made.
bool MakeShortcut(const ryn::RynString& file, const ryn::RynString& target, const ryn::RynString& folder,
                  const wchar_t* description, const wchar_t* failureFormat) {
    IShellLinkW* raw = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                        reinterpret_cast<void**>(&raw));
    if (FAILED(hr) || raw == nullptr) {
        RYN_LOG(3, kLogFunction).AppendFormat(failureFormat, hr);
        return false;
    }
    ComPtr<IShellLinkW> link(raw);
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(folder.c_str());
    link->SetDescription(description);
    link->SetIconLocation(target.c_str(), 0);
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        persist->Save(file.c_str(), TRUE);
        persist->Release();
    }
    return true;
}

}  // namespace

void RemoveOlderShortcuts(const KnownFolderAccess& folders) {
    ShellDeleteFolder(CombinePath(GetAllUsersProgramsFolder(folders), L"Orvessa桌面版"));
    const ryn::RynString desktop = GetAllUsersDesktopFolder(folders);
    DeleteFileW(CombinePath(desktop, L"Orvessa桌面版.lnk").c_str());
    DeleteFileW(CombinePath(desktop, L"Orvessa.lnk").c_str());
}

bool WriteUninstallEntry(const ryn::RynString& installFolder) {
    SYSTEMTIME today = {};
    GetLocalTime(&today);
    RegistryKey key;
    if (CreateRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKeyPath, key) != ERROR_SUCCESS) {
        RYN_LOG(3, kLogFunction).Append(L"Uninstall注册表项写入失败");
        return false;
    }
    const ryn::RynString uninstaller = CombinePath(installFolder, L"QvUninstaller.exe");
    const ryn::RynString program = CombinePath(installFolder, L"Quorvia.exe");
    const ryn::RynString version = GetProductVersionText(program);
    const ryn::RynString buildTime = BuildTimeOf(program);
    const DWORD sizeKB = GetFolderSizeKB(installFolder);

    HKEY k = key.Get();
    SetString(k, L"BuildTime", buildTime);
    SetString(k, L"DisplayName", L"Oplanda桌面版");
    SetString(k, L"DisplayVersion", version);
    SetString(k, L"DisplayIcon", program);
    SetString(k, L"Publisher", L"Karvenel");
    SetString(k, L"InstallDate", ryn::FormatString(L"%04d%02d%02d", today.wYear, today.wMonth, today.wDay));
    SetString(k, L"InstallLocation", installFolder);
    SetDword(k, L"Language", 0x804);
    SetDword(k, L"EstimatedSize", sizeKB);
    SetString(k, L"UninstallString", uninstaller);
    SetString(k, L"URLInfoAbout", kProductUrl);
    RegFlushKey(k);
    key.Close();
    RYN_LOG(1, kLogFunction).Append(L"Uninstall注册表项写入成功");
    return true;
}

void WriteLogOnEntry(const ryn::RynString& installFolder, bool bootLaunch) {
    if (bootLaunch) {
        SetRunValue(CombinePath(installFolder, L"Quorvia.exe"));
        return;
    }
    ryn::RynString existing;
    if (GetRunValue(existing)) DeleteRunValue();
}

ryn::RynString CreateShortcuts(const ryn::RynString& installFolder, const KnownFolderAccess& folders) {
    const ryn::RynString menu = CombinePath(GetAllUsersProgramsFolder(folders), L"Oplanda桌面版");
    CreateDirectoryW(menu.c_str(), nullptr);
    const ryn::RynString desktop = GetAllUsersDesktopFolder(folders);
    const ryn::RynString program = CombinePath(installFolder, L"Quorvia.exe");
    const ryn::RynString uninstaller = CombinePath(installFolder, L"QvUninstaller.exe");

    MakeShortcut(CombinePath(menu, L"Oplanda.lnk"), program, installFolder, L"Oplanda桌面版",
                 L"Oplanda桌面版的开始菜单快捷方式创建失败，HRESULT: %X");
    MakeShortcut(CombinePath(menu, L"Oplanda卸载.lnk"), uninstaller, installFolder, L"Oplanda桌面版卸载",
                 L"卸载Oplanda桌面版的开始菜单快捷方式创建失败，HRESULT: %X");
    const bool desktopMade = MakeShortcut(CombinePath(desktop, L"Oplanda.lnk"), program, installFolder,
                                          L"Oplanda桌面版", L"F桌面快捷方式创建失败，HRESULT: %X");
    return desktopMade ? program : ryn::RynString();
}
