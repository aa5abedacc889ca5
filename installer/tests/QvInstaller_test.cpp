#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

using qvtest::ListNames;
using qvtest::ReadBytes;
using qvtest::TempFolder;

namespace {

// Runs the real installer with its temporary folder redirected into temp.
qvtest::ProcessResult RunInstaller(const TempFolder& temp, const std::wstring& arguments = L"") {
    const std::wstring exe = qvtest::BuildPath(QV_INSTALLER_EXE);
    return qvtest::RunProcess(L"\"" + exe + L"\"" + arguments, {{L"TMP", temp.Path()}, {L"TEMP", temp.Path()}});
}

}  // namespace

TEST(InstallerFrame, CreatesItsWorkingFoldersAndOneLogFileAndExitsZero) {
    TempFolder temp;
    // Arguments are ignored; a second run with folders already there is normal.
    for (const wchar_t* arguments : {L"", L" /S --whatever"}) {
        const auto result = RunInstaller(temp, arguments);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0u);
    }
    for (const wchar_t* folder : {L"Quorvia\\InstallLog", L"Quorvia\\Temp", L"Quorvia\\Dump"}) {
        EXPECT_TRUE(qvtest::IsFolder(temp / folder)) << qvtest::Narrow(folder);
    }
    const auto logs = ListNames(temp / L"Quorvia\\InstallLog");
    ASSERT_EQ(logs.size(), 2u);  // one per run
    for (const auto& log : logs) {
        EXPECT_EQ(log.rfind(L"QVI-", 0), 0u);
        EXPECT_EQ(ReadBytes(temp / (L"Quorvia\\InstallLog\\" + log)).substr(0, 3), "\xEF\xBB\xBF");
    }
}

TEST(InstallerFrame, SecondInstanceLogsTheMutexWarningAndEnds) {
    TempFolder temp;
    // This test process plays the first installer and holds the machine-wide lock.
    HANDLE held = CreateMutexW(nullptr, FALSE, L"Global\\QuorviaInstaller");
    ASSERT_NE(held, nullptr);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another installer runs";
    const auto result = RunInstaller(temp);
    CloseHandle(held);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0u);
    const auto logs = ListNames(temp / L"Quorvia\\InstallLog");
    ASSERT_EQ(logs.size(), 1u);
    const std::string log = ReadBytes(temp / (L"Quorvia\\InstallLog\\" + logs[0]));
    EXPECT_NE(log.find(" Warn ( "), std::string::npos) << log;
    EXPECT_NE(log.find("[ wWinMain @ "), std::string::npos) << log;
    EXPECT_NE(log.find("\r\nMutex已存在，放弃执行。Error：183\r\n"), std::string::npos) << log;
}
