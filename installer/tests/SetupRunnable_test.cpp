#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EngineFixture.h"
#include "ProductRegistration.h"
#include "SetupRunnable.h"
#include "SystemOperations.h"

using namespace enginetest;
using qvtest::IsFile;
using qvtest::IsFolder;
using qvtest::Narrow;
using qvtest::ReadBytes;

namespace {

const wchar_t kGeneric[] =
    L"安装程序出现未知错误，请尝试重新下载安装包或联系我们\r\n（24小时免费客服热线：400-000-0000）";
const wchar_t kPermission[] = L"无法释放文件到安装目录，您可能权限不足\r\n（24小时免费客服热线：400-000-0000）";
const wchar_t kNotEmpty[] = L"所选的安装目录下已存在其它文件，无法安装Oplanda，请重新选择安装目录！";
const wchar_t kDiskFull[] = L"系统盘空间已满，安装无法继续\r\n（24小时免费客服热线：400-000-0000）";
const wchar_t kService[] =
    L"停止当前版本的服务程序时出现异常，暂时无法安装新版本，建议重启计算机或联系我们\r\n（24小时免费客服热线：400-000-"
    L"0000）";

std::wstring StageFolder() { return FixtureOut() + L"\\fixture-stage"; }

std::vector<std::wstring> StageFiles() {
    std::vector<ryn::RynString> folders, files;
    ListFolderContent(StageFolder().c_str(), ryn::RynString(), folders, files);
    std::vector<std::wstring> out;
    for (const auto& f : files) out.push_back(f.c_str());
    return out;
}

int Count(const std::vector<SetupNotify>& records, int type) {
    int n = 0;
    for (const auto& r : records) n += r.type == type ? 1 : 0;
    return n;
}

// The one record that ended the job.
const SetupNotify& Final(const std::vector<SetupNotify>& records) { return records.back(); }

void ExpectOneError(const std::vector<SetupNotify>& records, const wchar_t* message, const char* what) {
    ASSERT_FALSE(records.empty()) << what;
    EXPECT_EQ(Count(records, SetupNotify::kError), 1) << what;
    EXPECT_EQ(Count(records, SetupNotify::kFinished), 0) << what;
    EXPECT_EQ(Final(records).type, SetupNotify::kError) << what;
    EXPECT_STREQ(Final(records).text.c_str(), message) << what;
}

std::wstring WithSlash(std::wstring path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

}  // namespace

TEST_F(EngineTest, FreshInstallIntoTheDefaultFolderThenReinstallOverIt) {
    // Traces of the product's older name, which the job removes before unpacking.
    CreateDirectoryW((ProgramsFolder() + L"\\Orvessa桌面版").c_str(), nullptr);
    qvtest::WriteBytes(ProgramsFolder() + L"\\Orvessa桌面版\\unrelated.txt", "x");
    qvtest::WriteBytes(DesktopFolder() + L"\\Orvessa.lnk", "x");
    qvtest::WriteBytes(DesktopFolder() + L"\\Orvessa桌面版.lnk", "x");

    const auto records = Install(PayloadModule(L"payload_full.dll"), L"", true);
    ASSERT_FALSE(records.empty());
    ASSERT_EQ(Final(records).type, SetupNotify::kFinished) << Narrow(Final(records).text.c_str());
    EXPECT_EQ(Count(records, SetupNotify::kFinished), 1);
    EXPECT_EQ(Count(records, SetupNotify::kError), 0);

    const std::wstring folder = DefaultInstallFolder();
    const std::wstring registered = WithSlash(folder);
    EXPECT_EQ(std::wstring(Final(records).path.c_str()), registered + L"Quorvia.exe");

    // Progress: rises from 1 to 100 through the step texts, with at most 81 extraction posts.
    std::vector<std::wstring> steps;
    int last = 0, extractionPosts = 0;
    bool extractionAnnounced = false;  // the direct "0 %" step comes first, the posted progress after it
    for (const auto& r : records) {
        if (r.type != SetupNotify::kProgress) continue;
        EXPECT_TRUE(r.hasProgress);
        EXPECT_GE(r.progress, last);
        last = r.progress;
        const std::wstring text = r.text.c_str();
        const bool extraction = text.rfind(L"正在释放文件：", 0) == 0;
        if (extraction && extractionAnnounced) {
            ++extractionPosts;
        } else {
            extractionAnnounced = extractionAnnounced || extraction;
            steps.push_back(text);
        }
    }
    EXPECT_EQ(records.front().progress, 1);
    EXPECT_EQ(last, 100);
    EXPECT_GE(extractionPosts, 2);
    EXPECT_LE(extractionPosts, 81);
    EXPECT_EQ(steps, (std::vector<std::wstring>{L"正在停止基础服务", L"停止正在运行的程序", L"正在复制安装包...",
                                                L"正在释放文件：0 %", L"正在生成卸载程序", L"正在创建快捷方式"}));

    // Every payload file byte for byte, and the uninstaller from its resource.
    for (const auto& file : StageFiles()) {
        EXPECT_EQ(ReadBytes(folder + L"\\" + file), ReadBytes(StageFolder() + L"\\" + file)) << Narrow(file);
    }
    EXPECT_EQ(ReadBytes(folder + L"\\QvUninstaller.exe"), ReadBytes(qvtest::BuildPath(QV_FIXTURE_PROGRAM)));
    EXPECT_TRUE(GetFileAttributesW((folder + L"\\readonly.txt").c_str()) & FILE_ATTRIBUTE_READONLY);

    // The uninstall entry.
    const wchar_t* key = kUninstallKeyPath;
    struct StringValue {
        const wchar_t* name;
        std::wstring expected;
    } strings[] = {
        {L"DisplayName", L"Oplanda桌面版"},
        {L"DisplayVersion", L"1.2.3.4"},
        {L"DisplayIcon", registered + L"Quorvia.exe"},
        {L"Publisher", L"Karvenel"},
        {L"InstallLocation", registered},
        {L"UninstallString", registered + L"QvUninstaller.exe"},
    };
    for (const auto& value : strings) {
        DWORD type = 0;
        EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, key, value.name, &type), value.expected) << Narrow(value.name);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << Narrow(value.name);
    }
    SYSTEMTIME today;
    GetLocalTime(&today);
    wchar_t date[16];
    swprintf(date, 16, L"%04d%02d%02d", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, key, L"InstallDate"), date);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, key, L"BuildTime").size(), 8u);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, key, L"URLInfoAbout").rfind(L"https://", 0), 0u);
    EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, key, L"Language"), 0x804u);
    unsigned long long bytes = 0;
    std::vector<ryn::RynString> folders, files;
    ListFolderContent(folder.c_str(), ryn::RynString(), folders, files);
    for (const auto& f : files) bytes += ReadBytes(folder + L"\\" + f.c_str()).size();
    EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, key, L"EstimatedSize"), static_cast<DWORD>(bytes / 1024));

    EXPECT_EQ(RegString(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Quorvia"),
              registered + L"Quorvia.exe");

    // Shortcuts, read back through the shell's link object.
    struct Link {
        std::wstring file, target, description;
    } links[] = {
        {ProgramsFolder() + L"\\Oplanda桌面版\\Oplanda.lnk", registered + L"Quorvia.exe", L"Oplanda桌面版"},
        {ProgramsFolder() + L"\\Oplanda桌面版\\Oplanda卸载.lnk", registered + L"QvUninstaller.exe",
         L"Oplanda桌面版卸载"},
        {DesktopFolder() + L"\\Oplanda.lnk", registered + L"Quorvia.exe", L"Oplanda桌面版"},
    };
    for (const auto& link : links) {
        const Shortcut s = ReadShortcut(link.file);
        ASSERT_TRUE(s.loaded) << Narrow(link.file);
        EXPECT_EQ(_wcsicmp(s.target.c_str(), link.target.c_str()), 0) << Narrow(s.target);
        EXPECT_EQ(s.description, link.description);
        EXPECT_EQ(_wcsicmp(WithSlash(s.workingFolder).c_str(), registered.c_str()), 0) << Narrow(s.workingFolder);
        EXPECT_EQ(_wcsicmp(s.icon.c_str(), link.target.c_str()), 0) << Narrow(s.icon);
        EXPECT_EQ(s.iconIndex, 0);
    }
    EXPECT_FALSE(IsFolder(ProgramsFolder() + L"\\Orvessa桌面版"));
    EXPECT_FALSE(IsFile(DesktopFolder() + L"\\Orvessa.lnk"));
    EXPECT_FALSE(IsFile(DesktopFolder() + L"\\Orvessa桌面版.lnk"));

    // The archive is gone after a good extraction; the plug-in file stays.
    EXPECT_FALSE(IsFile(mTemp->Path() + L"\\RunImage.7z"));
    EXPECT_TRUE(IsFile(mTemp->Path() + L"\\7zxr.mt.dll"));

    // Reinstall over the registered folder: the old runtime files and "locales" go first, other files stay.
    qvtest::WriteBytes(folder + L"\\nw.pak", "old runtime");
    qvtest::WriteBytes(folder + L"\\locales\\extra.pak", "old locale");
    qvtest::WriteBytes(folder + L"\\user-notes.txt", "mine");
    const auto again = Install(PayloadModule(L"payload_full.dll"), L"", false);
    ASSERT_EQ(Final(again).type, SetupNotify::kFinished) << Narrow(Final(again).text.c_str());
    EXPECT_FALSE(IsFile(folder + L"\\nw.pak"));
    EXPECT_FALSE(IsFile(folder + L"\\locales\\extra.pak"));
    EXPECT_TRUE(IsFile(folder + L"\\locales\\zh-CN.pak"));
    EXPECT_EQ(ReadBytes(folder + L"\\user-notes.txt"), "mine");
    EXPECT_EQ(ReadBytes(folder + L"\\readonly.txt"), ReadBytes(StageFolder() + L"\\readonly.txt"));
    // The log-on option off removes the value an earlier installation set.
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Quorvia"), L"");
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKeyPath, L"InstallLocation"), registered);
}

TEST_F(EngineTest, ChosenFolderIsUsedWhenEmptyAndRefusedWhenItHoldsAnything) {
    const std::wstring busy = mTemp->Path() + L"\\busy";
    CreateDirectoryW(busy.c_str(), nullptr);
    CreateDirectoryW((busy + L"\\empty-sub").c_str(), nullptr);
    ExpectOneError(Install(PayloadModule(L"payload_full.dll"), busy), kNotEmpty, "non-empty folder");
    EXPECT_EQ(qvtest::ListNames(busy), std::vector<std::wstring>{L"empty-sub"});
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));

    const std::wstring chosen = mTemp->Path() + L"\\chosen";
    CreateDirectoryW(chosen.c_str(), nullptr);
    const auto records = Install(PayloadModule(L"payload_full.dll"), chosen);
    ASSERT_EQ(Final(records).type, SetupNotify::kFinished) << Narrow(Final(records).text.c_str());
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKeyPath, L"InstallLocation"), chosen);
    EXPECT_TRUE(IsFile(chosen + L"\\Quorvia.exe"));
    EXPECT_FALSE(IsFolder(DefaultInstallFolder()));
}

TEST_F(EngineTest, ItemWithoutAPathIsWrittenAsContent) {
    const std::wstring chosen = mTemp->Path() + L"\\chosen";
    CreateDirectoryW(chosen.c_str(), nullptr);
    const auto records = Install(PayloadModule(L"payload_noname.dll"), chosen);
    ASSERT_EQ(Final(records).type, SetupNotify::kFinished) << Narrow(Final(records).text.c_str());
    EXPECT_EQ(ReadBytes(chosen + L"\\[Content]"), "content without a name\n");
}

TEST_F(EngineTest, PayloadFailuresEndWithOneErrorRecord) {
    struct Case {
        const wchar_t* module;
        const char* what;
    } cases[] = {
        {L"payload_noplugin.dll", "no DLLFILE"},
        {L"payload_noimage.dll", "no RUNIMAGE"},
        {L"payload_notarchive.dll", "not an archive"},
        {L"payload_corrupt.dll", "altered packed data"},
    };
    for (const Case& c : cases) {
        ClearMachine();
        ExpectOneError(Install(PayloadModule(c.module)), kGeneric, c.what);
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath)) << c.what;
    }
    // A failed extraction leaves the archive where it was unpacked from.
    EXPECT_TRUE(IsFile(mTemp->Path() + L"\\RunImage.7z"));
}

TEST_F(EngineTest, PlugInOrArchiveThatCannotBeWrittenIsNeverUsed) {
    // Another program holds a working module or a valid archive at the plug-in's or the archive's place in the
    // user's temporary folder: the elevated installer must neither load nor unpack it.
    struct Case {
        const wchar_t* name;
        const wchar_t* planted;
    } cases[] = {{L"7zxr.mt.dll", L"planted_module.dll"}, {L"RunImage.7z", L"planted.7z"}};
    for (const Case& c : cases) {
        ClearMachine();
        DeleteFileW((mTemp->Path() + L"\\planted-ran.txt").c_str());
        const std::wstring path = mTemp->Path() + L"\\" + c.name;
        ASSERT_TRUE(CopyFileW((FixtureOut() + L"\\" + c.planted).c_str(), path.c_str(), FALSE));
        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const auto records = Install(PayloadModule(L"payload_full.dll"));
        CloseHandle(held);
        ExpectOneError(records, kGeneric, qvtest::Narrow(c.name).c_str());
        EXPECT_FALSE(IsFile(mTemp->Path() + L"\\planted-ran.txt")) << "the planted module was loaded";
        EXPECT_FALSE(IsFile(DefaultInstallFolder() + L"\\planted.txt")) << "the planted archive was unpacked";
        DeleteFileW(path.c_str());
    }
}

TEST_F(EngineTest, UninstallEntryThatCannotBeWrittenEndsWithTheGenericMessage) {
    // The key exists with an empty access list: nobody, administrators included, may open it for writing.
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    SECURITY_DESCRIPTOR denyAll;
    InitializeSecurityDescriptor(&denyAll, SECURITY_DESCRIPTOR_REVISION);
    ACL empty;
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetSecurityDescriptorDacl(&denyAll, TRUE, &empty, FALSE);
    ASSERT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &denyAll), ERROR_SUCCESS);
    RegCloseKey(key);
    HKEY probe = nullptr;
    const bool enforced = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, KEY_WRITE, &probe) != ERROR_SUCCESS;
    if (probe != nullptr) RegCloseKey(probe);

    const auto records = Install(PayloadModule(L"payload_full.dll"));

    // Give the key back a normal access list so it can be removed.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKeyPath, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR open;
        InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &open);
        RegCloseKey(key);
    }
    if (!enforced) GTEST_SKIP() << "this registry does not enforce key access lists";
    ExpectOneError(records, kGeneric, "uninstall entry");
    // The job stopped there: no shortcuts were made.
    EXPECT_FALSE(IsFile(DesktopFolder() + L"\\Oplanda.lnk"));
}

TEST_F(EngineTest, FileThatCannotBeReplacedFailsWithThePermissionMessage) {
    ASSERT_EQ(Final(Install(PayloadModule(L"payload_full.dll"))).type, SetupNotify::kFinished);
    const std::wstring held = DefaultInstallFolder() + L"\\readme.txt";
    HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const auto records = Install(PayloadModule(L"payload_full.dll"));
    CloseHandle(file);
    ExpectOneError(records, kPermission, "locked file");
}

TEST_F(EngineTest, FullDiskEndsWithTheDiskFullMessage) {
    // Q: is a 256 KiB drive that the test set-up mounts when the machine allows it; the payload does not fit.
    if (!IsFolder(L"Q:\\")) GTEST_SKIP() << "no small drive Q: on this machine (mounting a tmpfs was refused)";
    const std::wstring folder = L"Q:\\target";
    qvtest::RemoveTree(folder);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ExpectOneError(Install(PayloadModule(L"payload_full.dll"), folder), kDiskFull, "full disk");
    qvtest::RemoveTree(folder);
}

namespace {

// Registers and starts the test service under the product's service name.
void StartTestService(const wchar_t* mode) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, nullptr);
    const std::wstring binary = L"\"" + qvtest::BuildPath(QV_TEST_SERVICE) + L"\" " + mode;
    SC_HANDLE service =
        CreateServiceW(manager, L"Quorvia Platform Service", L"Quorvia Platform Service", SERVICE_ALL_ACCESS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binary.c_str(), nullptr,
                       nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(service, nullptr) << GetLastError();
    ASSERT_TRUE(StartServiceW(service, 0, nullptr)) << GetLastError();
    SERVICE_STATUS status = {};
    EXPECT_TRUE(PumpUntil(
        [&] { return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING; }, 20000));
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

bool ServiceExists() {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceW(manager, L"Quorvia Platform Service", SERVICE_QUERY_STATUS);
    const bool exists = service != nullptr;
    if (service != nullptr) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return exists;
}

}  // namespace

TEST_F(EngineTest, RunningServiceIsStoppedAndDeleted) {
    StartTestService(L"stoppable");
    ASSERT_TRUE(ServiceExists());
    const auto records = Install(PayloadModule(L"payload_full.dll"));
    ASSERT_EQ(Final(records).type, SetupNotify::kFinished) << Narrow(Final(records).text.c_str());
    EXPECT_FALSE(ServiceExists());
}

TEST_F(EngineTest, ServiceThatNeverStopsEndsTheJobAfterTheRetries) {
    StartTestService(L"stubborn");
    const DWORD start = GetTickCount();
    const auto records = Install(PayloadModule(L"payload_full.dll"));
    const DWORD elapsed = GetTickCount() - start;
    KillProcessByName(L"test_service.exe");
    ExpectOneError(records, kService, "stubborn service");
    EXPECT_GE(elapsed, 4500u) << "ten retries 500 ms apart";
    EXPECT_FALSE(IsFolder(DefaultInstallFolder()));
}

TEST_F(EngineTest, ClientProcessesAreEndedWhateverTheirLetterCase) {
    struct Child {
        std::wstring name;
        HANDLE process = nullptr;
    } children[] = {{L"QUORVIA.EXE"}, {L"QuorviaNotification.exe"}};
    for (Child& child : children) {
        const std::wstring path = mTemp->Path() + L"\\" + child.name;
        ASSERT_TRUE(CopyFileW(qvtest::BuildPath(QV_FIXTURE_PROGRAM).c_str(), path.c_str(), FALSE));
        std::wstring line = L"\"" + path + L"\" --wait";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
        CloseHandle(info.hThread);
        child.process = info.hProcess;
    }
    ASSERT_EQ(Final(Install(PayloadModule(L"payload_full.dll"))).type, SetupNotify::kFinished);
    for (Child& child : children) {
        EXPECT_EQ(WaitForSingleObject(child.process, 0), WAIT_OBJECT_0) << Narrow(child.name);
        TerminateProcess(child.process, 1);
        CloseHandle(child.process);
    }
}
