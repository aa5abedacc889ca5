// Tests of Quorvia.exe: each case builds a throw-away install folder (the real launcher, the stand-in runtime as
// lib\Quorvia.dll, packages and a version file), starts the launcher there and sees either which package the runtime
// was started with (from the runtime's own record) or the "无效的程序版本" message, which it answers.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "SampleClientProbe.h"
#include "TestSupport.h"
#include "TestProcess.h"
#include "WinDriver.h"

namespace {

using qvtest::TempFolder;
using qvtest::TestProcess;

constexpr DWORD kWaitMs = 60000;

enum class StartIn { InstallFolder, OtherFolder };

struct LauncherCase {
    const char* name;
    // Bytes of lib\app.version; null: no such file.
    const char* versionFile;
    bool runtime;                        // lib\Quorvia.dll present
    std::vector<std::wstring> packages;  // files made in lib
    StartIn startIn;
    std::wstring installName;      // install folder below the test folder (ignored when depth is set)
    size_t depth;                  // when not 0: the install folder path has exactly this many characters
    std::wstring expectedPackage;  // the package the runtime must get; empty: the message must show
};

void PrintTo(const LauncherCase& c, std::ostream* out) { *out << c.name; }

const std::string kFiftyBytes(50, 'a');
const std::wstring kFiftyBytesPackage = L"app-" + std::wstring(50, L'a') + L".nw";

const LauncherCase kCases[] = {
    {"VersionFileChoosesVersionedPackage",
     "v1.0.13",
     true,
     {L"app.nw", L"app-v1.0.13.nw"},
     StartIn::InstallFolder,
     L"Quorvia",
     0,
     L"app-v1.0.13.nw"},
    {"NoVersionFileRunsDefaultPackage",
     nullptr,
     true,
     {L"app.nw", L"app-v1.0.13.nw"},
     StartIn::InstallFolder,
     L"Quorvia",
     0,
     L"app.nw"},
    {"EmptyVersionFileRunsDefaultPackage", "", true, {L"app.nw"}, StartIn::InstallFolder, L"Quorvia", 0, L"app.nw"},
    {"VersionWithLineBreakIsRefused",
     "v1.0.13\r\n",
     true,
     {L"app.nw", L"app-v1.0.13.nw"},
     StartIn::InstallFolder,
     L"Quorvia",
     0,
     L""},
    {"VersionNamingMissingPackageIsRefused",
     "v2.0.0",
     true,
     {L"app.nw", L"app-v1.0.13.nw"},
     StartIn::InstallFolder,
     L"Quorvia",
     0,
     L""},
    {"MissingRuntimeIsRefused", nullptr, false, {L"app.nw"}, StartIn::InstallFolder, L"Quorvia", 0, L""},
    {"MissingRuntimeIsRefusedWithVersionedPackage",
     "v1.0.13",
     false,
     {L"app.nw", L"app-v1.0.13.nw"},
     StartIn::InstallFolder,
     L"Quorvia",
     0,
     L""},
    {"MissingDefaultPackageIsRefused", nullptr, true, {L"app-v1.0.13.nw"}, StartIn::InstallFolder, L"Quorvia", 0, L""},
    // Only the first 50 bytes of the version file count.
    {"VersionIsCutAtFiftyBytes",
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaTAIL",
     true,
     {L"app.nw", kFiftyBytesPackage},
     StartIn::InstallFolder,
     L"Quorvia",
     0,
     kFiftyBytesPackage},
    // A wildcard must not let some other package pass for the named one.
    {"WildcardVersionIsRefused", "*", true, {L"app.nw", L"app-v1.0.13.nw"}, StartIn::InstallFolder, L"Quorvia", 0, L""},
    // Started from elsewhere (a shortcut, the log-on entry): the version file beside the launcher still counts, and
    // the lib folder of the current directory (which names another version) does not.
    {"OtherCurrentFolderStillUsesOwnVersionFile",
     "v1.0.13",
     true,
     {L"app.nw", L"app-v1.0.13.nw"},
     StartIn::OtherFolder,
     L"Quorvia",
     0,
     L"app-v1.0.13.nw"},
    {"OtherCurrentFolderWithoutVersionFileRunsDefault",
     nullptr,
     true,
     {L"app.nw"},
     StartIn::OtherFolder,
     L"Quorvia",
     0,
     L"app.nw"},
    // The runtime path must reach the runtime whole, spaces and all.
    {"FolderWithSpaces",
     "v1.0.13",
     true,
     {L"app.nw", L"app-v1.0.13.nw"},
     StartIn::InstallFolder,
     L"Program Files\\Quorvia Client",
     0,
     L"app-v1.0.13.nw"},
    // Path limits: lib\app-v1.0.13.nw adds 19 characters to the folder, so 235 is the deepest folder whose
    // versioned package still fits the 255-byte buffers (254 characters and the terminator).
    {"DeepestFolderThatFits",
     "v1.0.13",
     true,
     {L"app.nw", L"app-v1.0.13.nw"},
     StartIn::OtherFolder,
     L"",
     235,
     L"app-v1.0.13.nw"},
    {"PackagePathOneTooLongIsRefused",
     "v1.0.13",
     true,
     {L"app.nw", L"app-v1.0.13.nw"},
     StartIn::OtherFolder,
     L"",
     236,
     L""},
    {"RuntimePathTooLongIsRefused", nullptr, true, {L"app.nw"}, StartIn::OtherFolder, L"", 240, L""},
    {"OwnPathTooLongIsRefused", nullptr, true, {L"app.nw"}, StartIn::OtherFolder, L"", 246, L""},
};

// Appends folders below root until the path has exactly length characters.
std::wstring DeepFolder(const std::wstring& root, size_t length) {
    std::wstring path = root;
    while (length - path.size() > 120) path += L"\\" + std::wstring(99, L'd');
    path += L"\\" + std::wstring(length - path.size() - 1, L'e');
    return path;
}

class LauncherTest : public ::testing::TestWithParam<LauncherCase> {};

TEST_P(LauncherTest, StartsRuntimeOrRefuses) {
    const LauncherCase& c = GetParam();
    TempFolder root(qvtest::Widen(c.name));
    ASSERT_FALSE(root.Path().empty());
    if (c.depth) {
        ASSERT_LT(root.Path().size() + 2, c.depth) << "the temporary folder is too deep for this case";
    }

    const std::wstring install = c.depth ? DeepFolder(root.Path(), c.depth) : root / c.installName;
    ASSERT_TRUE(c.depth == 0 || install.size() == c.depth);
    const std::wstring lib = install + L"\\lib";
    ASSERT_TRUE(qvtest::MakeFolders(lib));
    ASSERT_TRUE(qvtest::CopyInto(qvtest::BuildPath(QV_LAUNCHER_EXE), install + L"\\Quorvia.exe"));
    if (c.runtime) {
        ASSERT_TRUE(qvtest::CopyInto(qvtest::BuildPath(QV_SAMPLE_RUNTIME), lib + L"\\Quorvia.dll"));
    }
    for (const std::wstring& package : c.packages) {
        ASSERT_TRUE(qvtest::WriteBytes(lib + L"\\" + package, "package " + qvtest::Narrow(package)));
    }
    if (c.versionFile) {
        ASSERT_TRUE(qvtest::WriteBytes(lib + L"\\app.version", c.versionFile));
    }

    // The other current folder has a lib of its own that names a version the install folder does not have.
    const std::wstring other = root / L"elsewhere";
    ASSERT_TRUE(qvtest::MakeFolders(other + L"\\lib"));
    ASSERT_TRUE(qvtest::WriteBytes(other + L"\\lib\\app.version", "v9.9.9"));
    ASSERT_TRUE(qvtest::WriteBytes(other + L"\\lib\\app-v9.9.9.nw", "package from the current folder"));

    // A decoy where an unquoted runtime path below "Program Files" would be looked for first (C:\...\Program.exe):
    // it must never be the program that starts.
    ASSERT_TRUE(qvtest::CopyInto(qvtest::BuildPath(QV_SAMPLE_RUNTIME), root / L"Program.exe"));
    sampleclient::SampleClientProbe decoy(root.Path());

    sampleclient::SampleClientProbe client(lib);
    TestProcess launcher;
    ASSERT_TRUE(launcher.Start(install + L"\\Quorvia.exe", L"", c.startIn == StartIn::InstallFolder ? install : other))
        << "CreateProcessW failed: " << GetLastError();

    DWORD exitCode = 99;
    if (c.expectedPackage.empty()) {
        windriver::WindowQuery box;
        box.title = L"Oplanda";
        box.processId = launcher.Id();
        box.className = L"#32770";
        HWND message = windriver::WaitForTopWindow(box, kWaitMs);
        ASSERT_NE(message, nullptr) << "the launcher showed no message";
        EXPECT_EQ(windriver::MessageBoxText(message), L"无效的程序版本");
        ASSERT_TRUE(windriver::PressButtonById(message, IDOK));
        ASSERT_TRUE(launcher.WaitForExit(kWaitMs, &exitCode));
        EXPECT_EQ(exitCode, 0u);
        EXPECT_FALSE(client.Started()) << client.Record();
        EXPECT_FALSE(decoy.Started()) << decoy.Record();
        return;
    }

    ASSERT_TRUE(launcher.WaitForExit(kWaitMs, &exitCode)) << "the launcher did not end";
    EXPECT_EQ(exitCode, 0u);
    ASSERT_TRUE(client.WaitForStart(kWaitMs)) << "the runtime was not started";
    const std::wstring package = lib + L"\\" + c.expectedPackage;
    EXPECT_EQ(client.Record(), qvtest::Narrow(package) + "\n");
    EXPECT_FALSE(decoy.Started()) << "the decoy Program.exe was started: " << decoy.Record();
    EXPECT_TRUE(client.CloseWindowOf(package, kWaitMs)) << "no runtime window titled with the package";
}

INSTANTIATE_TEST_SUITE_P(Cases, LauncherTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LauncherCase>& info) { return info.param.name; });

}  // namespace
