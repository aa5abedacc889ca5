// Tests of update.exe: each test builds a throw-away install folder (the real update.exe and Quorvia.exe, the
// stand-in runtime as lib\Quorvia.dll, lib\app.nw), starts the updater with a new package, presses its button and
// answers its questions as a user would, and checks the files and processes that result.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "SampleClientProbe.h"
#include "TestSupport.h"
#include "TestProcess.h"
#include "WinDriver.h"

namespace {

using qvtest::TempFolder;
using qvtest::TestProcess;

constexpr DWORD kWaitMs = 60000;
constexpr int kButtonId = 1000;
constexpr int kProgressId = 1001;
const wchar_t kVersion[] = L"v1.0.13";
const char kVersionBytes[] = "v1.0.13";
const wchar_t kFinishedText[] = L"更新完成，启动新版";
const wchar_t kLatestText[] = L"当前已是最新版本，无需更新，点击确定进入Oplanda";

// A package big enough to take several progress steps; the pattern makes a misplaced block visible.
std::string NewPackageBytes() {
    std::string bytes(300 * 1024 + 17, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
    return bytes;
}

// Held while a test has a process named "app.dll" running: the updater ends the first such process it finds, so
// two tests with one each must not overlap, even in two test programs running side by side.
class AppDllLock {
public:
    AppDllLock() : mMutex(CreateMutexW(nullptr, FALSE, L"QuorviaTests-app.dll")) {
        if (mMutex) {
            const DWORD waited = WaitForSingleObject(mMutex, 100000);
            mHeld = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ~AppDllLock() {
        if (mHeld) ReleaseMutex(mMutex);
        if (mMutex) CloseHandle(mMutex);
    }
    AppDllLock(const AppDllLock&) = delete;
    AppDllLock& operator=(const AppDllLock&) = delete;
    bool Held() const { return mHeld; }

private:
    HANDLE mMutex;
    bool mHeld = false;
};

class UpdaterTest : public ::testing::Test {
protected:
    UpdaterTest()
        : mRoot(qvtest::Widen(::testing::UnitTest::GetInstance()->current_test_info()->name())),
          mInstall(mRoot / L"Quorvia"),
          mLib(mInstall + L"\\lib"),
          mSource(mRoot / L"download\\app.nw"),
          mTarget(mLib + L"\\app-v1.0.13.nw"),
          mVersionFile(mLib + L"\\app.version"),
          mClient(mLib) {}

    void SetUp() override {
        ASSERT_FALSE(mRoot.Path().empty());
        ASSERT_TRUE(qvtest::MakeFolders(mLib));
        ASSERT_TRUE(qvtest::MakeFolders(mRoot / L"download"));
        ASSERT_TRUE(qvtest::MakeFolders(mRoot / L"elsewhere"));
        ASSERT_TRUE(qvtest::CopyInto(qvtest::BuildPath(QV_UPDATER_EXE), mInstall + L"\\update.exe"));
        ASSERT_TRUE(qvtest::CopyInto(qvtest::BuildPath(QV_LAUNCHER_EXE), mInstall + L"\\Quorvia.exe"));
        ASSERT_TRUE(qvtest::CopyInto(qvtest::BuildPath(QV_SAMPLE_RUNTIME), mLib + L"\\Quorvia.dll"));
        ASSERT_TRUE(qvtest::WriteBytes(mLib + L"\\app.nw", "old package"));
    }

    // Starts update.exe with the given argument text, in the install folder or elsewhere.
    void StartUpdater(const std::wstring& arguments, bool inInstallFolder = true) {
        ASSERT_TRUE(
            mUpdater.Start(mInstall + L"\\update.exe", arguments, inInstallFolder ? mInstall : mRoot / L"elsewhere"))
            << "CreateProcessW failed: " << GetLastError();
    }
    void StartUpdaterWithPackage(bool inInstallFolder = true) {
        StartUpdater(L"\"" + mSource + L"\" \"" + kVersion + L"\"", inInstallFolder);
    }

    // Waits for the main window and finds its button and bar.
    void FindWindowParts() {
        windriver::WindowQuery query;
        query.title = L"Oplanda更新";
        query.processId = mUpdater.Id();
        mWindow = windriver::WaitForTopWindow(query, kWaitMs);
        ASSERT_NE(mWindow, nullptr) << "no updater window";
        mButton = windriver::FindChildById(mWindow, kButtonId);
        mBar = windriver::FindChildById(mWindow, kProgressId);
        ASSERT_NE(mButton, nullptr);
        ASSERT_NE(mBar, nullptr);
    }

    // The first message box of the updater titled caption; null when none shows in time.
    HWND WaitForBox(const wchar_t* caption, DWORD timeoutMs = kWaitMs) {
        windriver::WindowQuery query;
        query.title = caption;
        query.processId = mUpdater.Id();
        query.className = L"#32770";
        return windriver::WaitForTopWindow(query, timeoutMs);
    }

    // Presses "更新", waits for the updater's question, checks its text and answers it.
    void PressUpdateAndAnswer(const wchar_t* expectedText, int answer) {
        ASSERT_TRUE(windriver::PressButton(mButton));
        HWND question = WaitForBox(L"更新");
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(windriver::MessageBoxText(question), expectedText);
        ASSERT_TRUE(windriver::PressButtonById(question, answer));
    }

    int BarPosition() { return static_cast<int>(windriver::SendQuery(mBar, PBM_GETPOS, 0, 0, -1)); }

    void ExpectUpdaterEnds() {
        DWORD exitCode = 99;
        ASSERT_TRUE(mUpdater.WaitForExit(kWaitMs, &exitCode)) << "the updater did not end";
        EXPECT_EQ(exitCode, 0u);
    }

    std::string Bytes(const std::wstring& path) {
        EXPECT_TRUE(qvtest::IsFile(path)) << qvtest::Narrow(path);
        return qvtest::ReadBytes(path);
    }

    // Starts a stand-in for the running client under the image name "app.dll".
    void StartRunningApplication() {
        const std::wstring folder = mRoot / L"running";
        ASSERT_TRUE(qvtest::MakeFolders(folder));
        ASSERT_TRUE(qvtest::CopyInto(qvtest::BuildPath(QV_SAMPLE_RUNTIME), folder + L"\\app.dll"));
        ASSERT_TRUE(mApplication.Start(folder + L"\\app.dll", L"\"" + folder + L"\\running.nw\"", folder));
        // Its window must exist before the updater looks for it; mApplication ends it after the test.
        windriver::WindowQuery query;
        query.title = folder + L"\\running.nw";
        query.processId = mApplication.Id();
        ASSERT_NE(windriver::WaitForTopWindow(query, kWaitMs), nullptr) << "the stand-in app.dll did not start";
    }

    TempFolder mRoot;
    const std::wstring mInstall;
    const std::wstring mLib;
    const std::wstring mSource;
    const std::wstring mTarget;
    const std::wstring mVersionFile;
    sampleclient::SampleClientProbe mClient;
    TestProcess mApplication;
    TestProcess mUpdater;
    HWND mWindow = nullptr;
    HWND mButton = nullptr;
    HWND mBar = nullptr;
};

// Fewer than two arguments: the message, and nothing else.
struct ArgumentCase {
    const char* name;
    const wchar_t* arguments;
};
void PrintTo(const ArgumentCase& c, std::ostream* out) { *out << c.name; }

class UpdaterArgumentsTest : public UpdaterTest, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(UpdaterArgumentsTest, TooFewArgumentsShowTheMessageOnly) {
    ASSERT_TRUE(qvtest::WriteBytes(mSource, NewPackageBytes()));
    StartUpdater(GetParam().arguments);
    windriver::WindowQuery query;
    query.title = L"Oplanda";
    query.processId = mUpdater.Id();
    query.className = L"#32770";
    HWND box = windriver::WaitForTopWindow(query, kWaitMs);
    ASSERT_NE(box, nullptr) << "no message";
    EXPECT_EQ(windriver::MessageBoxText(box), L"无效的参数\r\n更新失败！");
    windriver::WindowQuery mainWindow;
    mainWindow.title = L"Oplanda更新";
    mainWindow.processId = mUpdater.Id();
    mainWindow.visibleOnly = false;
    EXPECT_EQ(windriver::FindTopWindow(mainWindow), nullptr) << "the update window must not open";
    ASSERT_TRUE(windriver::PressButtonById(box, IDOK));
    ExpectUpdaterEnds();
    EXPECT_FALSE(qvtest::Exists(mVersionFile));
    EXPECT_FALSE(qvtest::Exists(mTarget));
    EXPECT_FALSE(mClient.Started());
}

const ArgumentCase kArgumentCases[] = {
    {"NoArguments", L""},
    {"OnlyThePackage", L"\"C:\\nowhere\\app.nw\""},
};
INSTANTIATE_TEST_SUITE_P(Cases, UpdaterArgumentsTest, ::testing::ValuesIn(kArgumentCases),
                         [](const ::testing::TestParamInfo<ArgumentCase>& info) { return info.param.name; });

TEST_F(UpdaterTest, WindowIsCentredWithItsButtonAndBar) {
    ASSERT_TRUE(qvtest::WriteBytes(mSource, NewPackageBytes()));
    StartUpdaterWithPackage();
    ASSERT_NO_FATAL_FAILURE(FindWindowParts());
    EXPECT_EQ(windriver::ClassName(mWindow), L"UPDATE");
    RECT rect = {};
    ASSERT_TRUE(GetWindowRect(mWindow, &rect));
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 150);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 150) / 2);
    EXPECT_EQ(windriver::WindowText(mButton), L"更新");
    EXPECT_TRUE(IsWindowEnabled(mButton));
    EXPECT_EQ(windriver::ClassName(mBar), L"msctls_progress32");
    EXPECT_EQ(BarPosition(), 0);
    // Closing before any press changes nothing.
    ASSERT_TRUE(windriver::CloseWindow(mWindow));
    ExpectUpdaterEnds();
    EXPECT_FALSE(qvtest::Exists(mTarget));
    EXPECT_FALSE(qvtest::Exists(mVersionFile));
}

// A whole update answered with OK: from the install folder, and (the updater finding lib beside itself) from another
// current folder.
class UpdaterFullUpdateTest : public UpdaterTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UpdaterFullUpdateTest, CopiesRecordsEndsApplicationAndStartsNewPackage) {
    AppDllLock lock;
    ASSERT_TRUE(lock.Held());
    const std::string package = NewPackageBytes();
    ASSERT_TRUE(qvtest::WriteBytes(mSource, package));
    ASSERT_NO_FATAL_FAILURE(StartRunningApplication());
    StartUpdaterWithPackage(GetParam());
    ASSERT_NO_FATAL_FAILURE(FindWindowParts());

    ASSERT_TRUE(windriver::PressButton(mButton));
    HWND question = WaitForBox(L"更新");
    ASSERT_NE(question, nullptr) << "no finish question";
    EXPECT_EQ(windriver::MessageBoxText(question), kFinishedText);
    EXPECT_EQ(BarPosition(), 100);
    EXPECT_FALSE(IsWindowEnabled(mButton)) << "the button must stay disabled after the copy";
    EXPECT_TRUE(Bytes(mTarget) == package) << "the versioned package differs from the source";
    EXPECT_EQ(Bytes(mVersionFile), kVersionBytes);
    EXPECT_FALSE(mClient.Started()) << "nothing may start before the answer";

    ASSERT_TRUE(windriver::PressButtonById(question, IDOK));
    DWORD applicationExit = 0;
    ASSERT_TRUE(mApplication.WaitForExit(kWaitMs, &applicationExit)) << "app.dll was not ended";
    EXPECT_EQ(applicationExit, 4u);
    ExpectUpdaterEnds();
    ASSERT_TRUE(mClient.WaitForStart(kWaitMs)) << "the launcher did not start the runtime";
    EXPECT_EQ(mClient.Record(), qvtest::Narrow(mTarget) + "\n");
    EXPECT_TRUE(mClient.CloseWindowOf(mTarget, kWaitMs));
}

INSTANTIATE_TEST_SUITE_P(StartedFrom, UpdaterFullUpdateTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "InstallFolder" : "OtherFolder";
                         });

TEST_F(UpdaterTest, CancelOnFinishLeavesApplicationRunningAndStartsNothing) {
    AppDllLock lock;
    ASSERT_TRUE(lock.Held());
    const std::string package = NewPackageBytes();
    ASSERT_TRUE(qvtest::WriteBytes(mSource, package));
    ASSERT_NO_FATAL_FAILURE(StartRunningApplication());
    StartUpdaterWithPackage();
    ASSERT_NO_FATAL_FAILURE(FindWindowParts());

    ASSERT_NO_FATAL_FAILURE(PressUpdateAndAnswer(kFinishedText, IDCANCEL));
    ExpectUpdaterEnds();
    EXPECT_TRUE(mApplication.Running()) << "Cancel must not end app.dll";
    EXPECT_TRUE(Bytes(mTarget) == package);
    EXPECT_EQ(Bytes(mVersionFile), kVersionBytes);
    EXPECT_FALSE(mClient.Started());
}

// The target package exists already: the already-latest question; OK starts the launcher, Cancel does not; neither
// copies nor touches the version file.
class UpdaterAlreadyLatestTest : public UpdaterTest, public ::testing::WithParamInterface<int> {};

TEST_P(UpdaterAlreadyLatestTest, AsksAndCopiesNothing) {
    const int answer = GetParam();
    ASSERT_TRUE(qvtest::WriteBytes(mSource, NewPackageBytes()));
    ASSERT_TRUE(qvtest::WriteBytes(mTarget, "installed v1.0.13"));
    ASSERT_TRUE(qvtest::WriteBytes(mVersionFile, "v1.0.13"));
    StartUpdaterWithPackage();
    ASSERT_NO_FATAL_FAILURE(FindWindowParts());

    ASSERT_NO_FATAL_FAILURE(PressUpdateAndAnswer(kLatestText, answer));
    ExpectUpdaterEnds();
    EXPECT_EQ(Bytes(mTarget), "installed v1.0.13");
    EXPECT_EQ(Bytes(mVersionFile), "v1.0.13");
    if (answer == IDOK) {
        ASSERT_TRUE(mClient.WaitForStart(kWaitMs)) << "OK must start the launcher";
        EXPECT_EQ(mClient.Record(), qvtest::Narrow(mTarget) + "\n");
        EXPECT_TRUE(mClient.CloseWindowOf(mTarget, kWaitMs));
    } else {
        EXPECT_FALSE(mClient.Started());
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, UpdaterAlreadyLatestTest, ::testing::Values(IDOK, IDCANCEL),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == IDOK ? "Ok" : "Cancel";
                         });

TEST_F(UpdaterTest, EmptyPackageFillsTheBar) {
    ASSERT_TRUE(qvtest::WriteBytes(mSource, ""));
    StartUpdaterWithPackage();
    ASSERT_NO_FATAL_FAILURE(FindWindowParts());
    ASSERT_TRUE(windriver::PressButton(mButton));
    HWND question = WaitForBox(L"更新");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(windriver::MessageBoxText(question), kFinishedText);
    EXPECT_EQ(BarPosition(), 100);
    EXPECT_EQ(Bytes(mTarget), "");
    EXPECT_EQ(Bytes(mVersionFile), kVersionBytes);
    ASSERT_TRUE(windriver::PressButtonById(question, IDCANCEL));
    ExpectUpdaterEnds();
}

TEST_F(UpdaterTest, FailedCopyEnablesTheButtonForAnotherTry) {
    // No source yet: the copy fails, silently, and leaves nothing behind.
    StartUpdaterWithPackage();
    ASSERT_NO_FATAL_FAILURE(FindWindowParts());
    ASSERT_TRUE(windriver::PressButtonAndWait(mButton));
    ASSERT_TRUE(windriver::WaitUntil([this] { return IsWindowEnabled(mButton) != FALSE; }, kWaitMs))
        << "the button stayed disabled after the failed copy";
    EXPECT_EQ(WaitForBox(L"更新", 0), nullptr) << "a failed copy shows no message";
    EXPECT_FALSE(qvtest::Exists(mTarget));
    EXPECT_FALSE(qvtest::Exists(mVersionFile));

    // The cause is gone: the second try goes through.
    const std::string package = NewPackageBytes();
    ASSERT_TRUE(qvtest::WriteBytes(mSource, package));
    ASSERT_TRUE(windriver::PressButton(mButton));
    HWND question = WaitForBox(L"更新");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(windriver::MessageBoxText(question), kFinishedText);
    EXPECT_TRUE(Bytes(mTarget) == package);
    EXPECT_EQ(Bytes(mVersionFile), kVersionBytes);
    ASSERT_TRUE(windriver::PressButtonById(question, IDCANCEL));
    ExpectUpdaterEnds();
}

TEST_F(UpdaterTest, SecondPressDuringTheCopyIsIgnored) {
    // Both presses are queued before the first is handled, so the second always arrives while the copy runs. Were
    // it obeyed, it would find the target being written and ask the already-latest question instead.
    const std::string package = NewPackageBytes();
    ASSERT_TRUE(qvtest::WriteBytes(mSource, package));
    StartUpdaterWithPackage();
    ASSERT_NO_FATAL_FAILURE(FindWindowParts());
    ASSERT_TRUE(windriver::PressButton(mButton));
    ASSERT_TRUE(windriver::PressButton(mButton));
    HWND question = WaitForBox(L"更新");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(windriver::MessageBoxText(question), kFinishedText);
    EXPECT_TRUE(Bytes(mTarget) == package);
    ASSERT_TRUE(windriver::PressButtonById(question, IDCANCEL));
    ExpectUpdaterEnds();
}

TEST_F(UpdaterTest, ClosingDuringTheCopyLeavesNoHalfPackage) {
    // The close is queued right behind the press, so it arrives while a copy of this size still runs. A package
    // left half written would pass for the latest version on the next run, so the copy is cancelled and removed.
    std::string package(64 * 1024 * 1024, 'p');
    ASSERT_TRUE(qvtest::WriteBytes(mSource, package));
    package.clear();
    StartUpdaterWithPackage();
    ASSERT_NO_FATAL_FAILURE(FindWindowParts());
    ASSERT_TRUE(windriver::PressButton(mButton));
    ASSERT_TRUE(windriver::CloseWindow(mWindow));
    ExpectUpdaterEnds();
    EXPECT_FALSE(qvtest::Exists(mTarget)) << "a partial package was left in lib";
    EXPECT_FALSE(qvtest::Exists(mVersionFile));
    EXPECT_FALSE(mClient.Started());
}

}  // namespace
