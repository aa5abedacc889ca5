#include <gtest/gtest.h>

#include <string>

#include "SystemOperations.h"
#include "TestSupport.h"

using qvtest::TempFolder;

namespace {
std::vector<std::wstring> Wide(const std::vector<ryn::RynString>& list) {
    std::vector<std::wstring> out;
    for (const auto& item : list) out.push_back(item.c_str());
    return out;
}
}  // namespace

TEST(SystemOperations, FolderSizeListingAndFirstFile) {
    TempFolder root;
    CreateDirectoryW((root / L"sub").c_str(), nullptr);
    CreateDirectoryW((root / L".hidden").c_str(), nullptr);
    for (const wchar_t* name : {L"a.bin", L"sub\\b.bin", L"sub\\c.bin", L".hidden\\skipped.bin"}) {
        qvtest::WriteBytes(root / name, std::string(1024, 'x'));
    }
    EXPECT_EQ(GetFolderSizeKB(root.Path().c_str()), 3u);  // the "." folder is not entered
    EXPECT_EQ(GetFolderSizeKB((root / L"missing").c_str()), 0u);

    TempFolder empty;
    CreateDirectoryW((empty / L"x").c_str(), nullptr);
    CreateDirectoryW((empty / L"x\\y").c_str(), nullptr);
    CreateDirectoryW((empty / L"z").c_str(), nullptr);
    EXPECT_TRUE(FindFirstFileBelow(empty.Path().c_str(), ryn::RynString()).IsEmpty());
    std::vector<ryn::RynString> folders, files;
    ListFolderContent(empty.Path().c_str(), ryn::RynString(), folders, files);
    EXPECT_EQ(Wide(folders), (std::vector<std::wstring>{L"x", L"z", L"x\\y"}));  // depth first, each level listed
    EXPECT_TRUE(files.empty());

    qvtest::WriteBytes(empty / L"x\\y\\deep.txt", "d");
    EXPECT_STREQ(FindFirstFileBelow(empty.Path().c_str(), ryn::RynString()).c_str(), L"x\\y\\deep.txt");
}

TEST(SystemOperations, CreateFolderChainAndForceDelete) {
    TempFolder root;
    EXPECT_TRUE(CreateFolderChain((root / L"a\\b\\c\\").c_str()));
    EXPECT_TRUE(qvtest::IsFolder(root / L"a\\b\\c"));
    EXPECT_TRUE(CreateFolderChain((root / L"a\\b").c_str()));  // already there
    qvtest::WriteBytes(root / L"file", "f");
    EXPECT_FALSE(CreateFolderChain((root / L"file").c_str()));
    EXPECT_FALSE(CreateFolderChain((root / L"file\\below").c_str()));

    SetFileAttributesW((root / L"file").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(ForceDeleteFile((root / L"file").c_str()));
    EXPECT_FALSE(ForceDeleteFile((root / L"file").c_str()));
    EXPECT_TRUE(ShellDeleteFolder((root / L"a").c_str()));
    EXPECT_FALSE(qvtest::IsFolder(root / L"a"));
}

TEST(SystemOperations, ProductVersionComesFromTheProductFields) {
    EXPECT_STREQ(GetProductVersionText(qvtest::BuildPath(QV_FIXTURE_PROGRAM).c_str()).c_str(), L"1.2.3.4");
    TempFolder root;
    qvtest::WriteBytes(root / L"plain.txt", "no version");
    EXPECT_TRUE(GetProductVersionText((root / L"plain.txt").c_str()).IsEmpty());
}

TEST(SystemOperations, RunValueRoundTripsAndGrowsPastFiveHundredTwelveCharacters) {
    ryn::RynString saved;
    const bool hadValue = GetRunValue(saved);
    const std::wstring longPath = L"C:\\" + std::wstring(700, L'q') + L"\\Quorvia.exe";
    ASSERT_TRUE(SetRunValue(longPath.c_str()));
    ryn::RynString read;
    ASSERT_TRUE(GetRunValue(read));
    EXPECT_EQ(std::wstring(read.c_str()), longPath);
    EXPECT_TRUE(DeleteRunValue());
    EXPECT_FALSE(GetRunValue(read));
    EXPECT_FALSE(DeleteRunValue());
    if (hadValue) SetRunValue(saved);
}

TEST(SystemOperations, ReadRegistryStringChecksTypeAndSize) {
    RegistryKey key;
    ASSERT_EQ(CreateRegistryKey(HKEY_CURRENT_USER, L"Software\\QuorviaTest", key), ERROR_SUCCESS);
    const wchar_t text[] = L"C:\\Quorvia";
    RegSetValueExW(key.Get(), L"s", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    const DWORD number = 7;
    RegSetValueExW(key.Get(), L"d", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegSetValueExW(key.Get(), L"odd", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    wchar_t buffer[64];
    DWORD n = 64;
    EXPECT_EQ(ReadRegistryString(key.Get(), L"s", buffer, &n), ERROR_SUCCESS);
    EXPECT_EQ(n, 11u);
    EXPECT_STREQ(buffer, text);
    n = 64;
    EXPECT_EQ(ReadRegistryString(key.Get(), L"d", buffer, &n), ERROR_INVALID_DATA);
    n = 64;
    EXPECT_EQ(ReadRegistryString(key.Get(), L"odd", buffer, &n), ERROR_INVALID_DATA);
    n = 4;
    EXPECT_EQ(ReadRegistryString(key.Get(), L"s", buffer, &n), ERROR_MORE_DATA);
    key.Close();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuorviaTest");
}
