#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EngineFixture.h"
#include "InstallerSettings.h"
#include "ProductRegistration.h"
#include "RynTaskThread.h"
#include "SystemOperations.h"
#include "UninstallRunnable.h"

using namespace enginetest;
using qvtest::IsFile;
using qvtest::IsFolder;

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::vector<UninstallNotify> gRecords;
void Record(const UninstallNotify& notify) { gRecords.push_back(notify); }

class UninstallTest : public EngineTest {
protected:
    std::vector<UninstallNotify> Uninstall() {
        gRecords.clear();
        ryn::PostTask(ryn::kRynIOThread, new UninstallRunnable(Record, KnownFolders()));
        EXPECT_TRUE(PumpUntil([] { return !gRecords.empty() && gRecords.back().type != UninstallNotify::kProgress; }));
        PumpUntil([] { return false; }, 300);
        return gRecords;
    }
    void InstallOk() {
        const auto records = Install(PayloadModule(L"payload_full.dll"), L"", true);
        ASSERT_FALSE(records.empty());
        ASSERT_EQ(records.back().type, SetupNotify::kFinished);
    }
};

std::vector<int> Progress(const std::vector<UninstallNotify>& records) {
    std::vector<int> values;
    for (const auto& r : records) {
        if (r.type == UninstallNotify::kProgress) values.push_back(r.progress);
    }
    return values;
}

}  // namespace

TEST_F(UninstallTest, RemovesTheProductAndKeepsWhatTheUserAdded) {
    InstallOk();
    const std::wstring folder = DefaultInstallFolder();
    qvtest::WriteBytes(folder + L"\\data\\user-file.txt", "mine");
    // Keys below both product keys, at some depth.
    HKEY deep = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Quorvia\\a\\b\\c", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &deep, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(deep);
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstallKeyPath) + L"\\x\\y").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &deep, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(deep);

    const auto records = Uninstall();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().type, UninstallNotify::kFinished);
    EXPECT_EQ(Progress(records), (std::vector<int>{5, 15, 20, 40, 50}));

    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKeyPath));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, L"Software\\Quorvia"));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    // The Run value pointed at the removed program.
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRunKey, L"Quorvia"), L"");
    EXPECT_FALSE(IsFolder(ProgramsFolder() + L"\\Oplanda桌面版"));
    EXPECT_FALSE(IsFile(DesktopFolder() + L"\\Oplanda.lnk"));

    for (const wchar_t* name : {L"QvUninstaller.exe", L"Quorvia.exe", L"update.exe"}) {
        EXPECT_FALSE(IsFile(folder + L"\\" + name)) << qvtest::Narrow(name);
    }
    EXPECT_FALSE(IsFolder(folder + L"\\lib"));
    EXPECT_EQ(qvtest::ReadBytes(folder + L"\\data\\user-file.txt"), "mine");
}

TEST_F(UninstallTest, FolderHoldingOnlyTheProductDisappearsAndAForeignRunValueStays) {
    InstallOk();
    const std::wstring folder = DefaultInstallFolder();
    // Leave only what the product itself consists of: the programs and "lib" (plus empty folders).
    for (const wchar_t* name : {L"readme.txt", L"readonly.txt", L"data", L"locales"}) {
        const std::wstring path = folder + L"\\" + name;
        if (IsFolder(path)) {
            qvtest::RemoveTree(path);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    }
    CreateDirectoryW((folder + L"\\empty").c_str(), nullptr);
    ASSERT_TRUE(SetRunValue(L"D:\\Elsewhere\\Quorvia.exe"));

    EXPECT_EQ(Uninstall().back().type, UninstallNotify::kFinished);
    EXPECT_FALSE(IsFolder(folder));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRunKey, L"Quorvia"), L"D:\\Elsewhere\\Quorvia.exe");
}

TEST_F(UninstallTest, WithoutARegisteredFolderItStillCleansUpAndFinishes) {
    qvtest::WriteBytes(DesktopFolder() + L"\\Oplanda.lnk", "x");
    const auto records = Uninstall();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().type, UninstallNotify::kFinished);
    EXPECT_EQ(Progress(records), (std::vector<int>{5, 15, 20, 40}));
    for (const auto& r : records) EXPECT_NE(r.type, UninstallNotify::kError);
    EXPECT_FALSE(IsFile(DesktopFolder() + L"\\Oplanda.lnk"));
}

TEST(RecurseDeleteKey, MissingKeyReportsItsError) {
    EXPECT_EQ(RecurseDeleteKey(HKEY_CURRENT_USER, L"Software\\QuorviaNoSuchKey"), ERROR_FILE_NOT_FOUND);
}
