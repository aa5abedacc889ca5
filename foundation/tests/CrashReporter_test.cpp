#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "TestSupport.h"

using qvtest::ListNames;
using qvtest::Narrow;
using qvtest::ReadBytes;
using qvtest::TempFolder;

namespace {

struct Report {
    std::string text;
    bool dump = false;
    DWORD exitCode = 0;
};

Report Crash(const wchar_t* mode, const std::wstring& folder) {
    Report report;
    const auto result = qvtest::RunProcess(std::wstring(L"crasher.exe ") + mode + L" \"" + folder + L"\"");
    EXPECT_TRUE(result.finished);
    report.exitCode = result.exitCode;
    const auto texts = ListNames(folder, L"QVI-*.txt");
    const auto dumps = ListNames(folder, L"QVI-*.dmp");
    EXPECT_EQ(texts.size(), 1u);
    if (texts.size() == 1) {
        EXPECT_TRUE(std::regex_match(Narrow(texts[0]), std::regex("QVI-\\d{8}-\\d{6}\\.txt"))) << Narrow(texts[0]);
        report.text = ReadBytes(folder + L"\\" + texts[0]);
    }
    report.dump = dumps.size() == 1 && !ReadBytes(folder + L"\\" + dumps[0]).empty();
    return report;
}

std::string ProgramPath(const char* name) {
    wchar_t path[MAX_PATH];
    GetFullPathNameW(qvtest::Widen(name).c_str(), MAX_PATH, path, nullptr);
    return Narrow(path);
}

}  // namespace

TEST(CrashReporter, WriteToAddressZeroLeavesTheReportAndTheDump) {
    TempFolder folder;
    const Report report = Crash(L"null", folder.Path());
    EXPECT_EQ(report.exitCode, 0xC0000005u);
    EXPECT_TRUE(report.dump);
    const std::string& t = report.text;
    EXPECT_EQ(t.rfind("Windows:  ", 0), 0u) << t;  // the leading line break is dropped
    EXPECT_NE(t.find("\r\nProcess:  " + ProgramPath("crasher.exe")), std::string::npos) << t;
    EXPECT_NE(t.find("\r\nModule:  " + ProgramPath("crasher.exe")), std::string::npos) << t;
    EXPECT_TRUE(std::regex_search(t, std::regex("\r\nDate Modified:  \\d\\d/\\d\\d/\\d{4}"))) << t;
    EXPECT_NE(t.find("\r\nException Code:  C0000005\r\nWrite Address:  00000000\r\n"), std::string::npos) << t;
    EXPECT_TRUE(std::regex_search(t, std::regex("\r\nInstruction: ( [0-9A-F]{2}){16}\r\n"))) << t;
    EXPECT_TRUE(std::regex_search(
        t, std::regex("\r\nRegisters:EAX: [0-9A-F]{8}  EBX: [0-9A-F]{8}  ECX: [0-9A-F]{8}  EDX: [0-9A-F]{8}"
                      "\r\nESI: [0-9A-F]{8}  EDI: [0-9A-F]{8}  ESP: [0-9A-F]{8}  EBP: [0-9A-F]{8}"
                      "\r\nEIP: [0-9A-F]{8}  EFlags: [0-9A-F]{8}\r\nCall Stack:")))
        << t;
    EXPECT_TRUE(std::regex_search(t, std::regex("Call Stack:\r\n[0-9A-F]{8}  .*crasher\\.exe\r\n  \\+[0-9A-F]{8}  "
                                                "Exception Offset")))
        << t;
}

TEST(CrashReporter, FaultInAnotherModuleNamesItAndGroupsFramesByModule) {
    TempFolder folder;
    const Report report = Crash(L"module", folder.Path());
    const std::string& t = report.text;
    const std::string module = ProgramPath("crashmod.dll");
    EXPECT_NE(t.find("\r\nModule:  " + module), std::string::npos) << t;
    // First group: the plug-in module with the faulting offset; then one header for the program and a distance
    // line with argument words for each of its frames (Inner, Outer, wmain, ...).
    const std::regex stack(
        "Call Stack:\r\n[0-9A-F]{8}  .*crashmod\\.dll\r\n  \\+[0-9A-F]{8}  Exception Offset"
        "\r\n[0-9A-F]{8}  .*crasher\\.exe"
        "\r\n  \\+[0-9A-F]{8}  \\([0-9A-F]+(, [0-9A-F]+){4}\\)"
        "\r\n  \\+[0-9A-F]{8}  \\([0-9A-F]+(, [0-9A-F]+){4}\\)");
    EXPECT_TRUE(std::regex_search(t, stack)) << t;
}

TEST(CrashReporter, RemovedDumpFolderIsCreatedAgain) {
    TempFolder parent;
    const std::wstring folder = parent / L"Dump";
    const Report report = Crash(L"rmdir", folder);
    EXPECT_TRUE(qvtest::IsFolder(folder));
    EXPECT_NE(report.text.find("Write Address:  00000000"), std::string::npos);
}
