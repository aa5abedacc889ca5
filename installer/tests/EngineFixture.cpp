#include "EngineFixture.h"

#include <objbase.h>
#include <shlobj.h>

#include "InstallerSettings.h"
#include "ProductFolders.h"
#include "ProductRegistration.h"
#include "RynTaskThread.h"
#include "SetupRunnable.h"
#include "SystemOperations.h"

namespace enginetest {

std::vector<SetupNotify> gSetupRecords;

void RecordSetupNotify(const SetupNotify& notify) { gSetupRecords.push_back(notify); }

void EngineTest::SetUp() {
    CoInitialize(nullptr);
    mTemp.reset(new qvtest::TempFolder(L"qvengine"));
    Settings().tempFolder = mTemp->Path().c_str();
    InitKnownFolderSettings();
    ryn::InitUIThread();
    ryn::StartIOThread();
    ClearMachine();
    gSetupRecords.clear();
}

void EngineTest::TearDown() {
    ryn::StopIOThread();
    ClearMachine();
    for (HMODULE module : mModules) FreeLibrary(module);
    mModules.clear();
    mTemp.reset();
    CoUninitialize();
}

void EngineTest::ClearMachine() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKeyPath);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Quorvia");
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_WRITE, &run) ==
        ERROR_SUCCESS) {
        RegDeleteValueW(run, L"Quorvia");
        RegCloseKey(run);
    }
    for (const wchar_t* name : {L"Oplanda桌面版", L"Orvessa桌面版"})
        qvtest::RemoveTree(ProgramsFolder() + L"\\" + name);
    for (const wchar_t* name : {L"Oplanda.lnk", L"Orvessa.lnk", L"Orvessa桌面版.lnk", L"Oplanda桌面版.lnk"}) {
        DeleteFileW((DesktopFolder() + L"\\" + name).c_str());
    }
    qvtest::RemoveTree(DefaultInstallFolder());
    if (SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
        if (SC_HANDLE service = OpenServiceW(manager, L"Quorvia Platform Service", SERVICE_ALL_ACCESS)) {
            SERVICE_STATUS status = {};
            ControlService(service, SERVICE_CONTROL_STOP, &status);
            DeleteService(service);
            CloseServiceHandle(service);
        }
        CloseServiceHandle(manager);
    }
}

HMODULE EngineTest::PayloadModule(const wchar_t* name) {
    const std::wstring path = FixtureOut() + L"\\" + name;
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(module, nullptr) << "cannot load " << qvtest::Narrow(path);
    if (module != nullptr) mModules.push_back(module);
    return module;
}

std::vector<SetupNotify> EngineTest::Install(HMODULE payload, const std::wstring& folder, bool bootLaunch) {
    gSetupRecords.clear();
    auto* job = new SetupRunnable(RecordSetupNotify);
    job->mResourceModule = payload;
    job->mInstallFolder = folder.c_str();
    job->mBootLaunchApp = bootLaunch ? 1 : 0;
    ryn::PostTask(ryn::kRynIOThread, job);
    const bool ended =
        PumpUntil([] { return !gSetupRecords.empty() && gSetupRecords.back().type != SetupNotify::kProgress; });
    EXPECT_TRUE(ended) << "the job sent no final record";
    // Anything sent after the final record would show up here.
    PumpUntil([] { return false; }, 300);
    return gSetupRecords;
}

std::wstring EngineTest::ProgramsFolder() { return GetAllUsersProgramsFolder(KnownFolders()).c_str(); }

std::wstring EngineTest::DesktopFolder() { return GetAllUsersDesktopFolder(KnownFolders()).c_str(); }

std::wstring EngineTest::DefaultInstallFolder() {
    HRESULT hr = S_OK;
    return std::wstring(GetProgramFilesFolder(KnownFolders(), &hr).c_str()) + L"\\Quorvia";
}

std::wstring RegString(HKEY root, const wchar_t* path, const wchar_t* name, DWORD* type) {
    wchar_t buffer[2048] = L"";
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    DWORD valueType = 0;
    if (RegGetValueW(root, path, name, RRF_RT_ANY | RRF_NOEXPAND, &valueType, buffer, &bytes) != ERROR_SUCCESS) {
        if (type != nullptr) *type = REG_NONE;
        return L"";
    }
    if (type != nullptr) *type = valueType;
    return buffer;
}

DWORD RegDword(HKEY root, const wchar_t* path, const wchar_t* name) {
    DWORD value = ~0u;
    DWORD bytes = sizeof value;
    if (RegGetValueW(root, path, name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) != ERROR_SUCCESS) return ~0u;
    return value;
}

bool RegKeyExists(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

Shortcut ReadShortcut(const std::wstring& path) {
    Shortcut shortcut;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return shortcut;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t text[MAX_PATH] = L"";
            shortcut.loaded = true;
            link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            shortcut.target = text;
            link->GetWorkingDirectory(text, MAX_PATH);
            shortcut.workingFolder = text;
            link->GetDescription(text, MAX_PATH);
            shortcut.description = text;
            link->GetIconLocation(text, MAX_PATH, &shortcut.iconIndex);
            shortcut.icon = text;
        }
        file->Release();
    }
    link->Release();
    return shortcut;
}

std::wstring FixtureOut() { return qvtest::BuildPath(QV_FIXTURE_OUT); }

}  // namespace enginetest
