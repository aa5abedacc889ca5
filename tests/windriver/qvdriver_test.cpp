// Tests of qvdriver.exe, the command form of the window driver: it runs as a separate program against message boxes
// this test shows on a thread of its own, and its exit code and output are checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>

#include <string>

#include "TestSupport.h"
#include "WinDriver.h"

namespace {

constexpr DWORD kWaitMs = 60000;

struct DriverRun {
    DWORD exitCode = 99;
    std::string output;  // stdout and stderr together
};

// Runs qvdriver.exe with arguments and collects what it prints.
DriverRun RunDriver(const std::wstring& arguments) {
    DriverRun run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed: " << GetLastError();
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const std::wstring program = qvtest::BuildPath(QVDRIVER_EXE);
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION started = {};
    const BOOL ok = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                   &startup, &started);
    CloseHandle(writeEnd);
    if (!ok) {
        ADD_FAILURE() << "CreateProcessW failed: " << GetLastError();
        CloseHandle(readEnd);
        return run;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) run.output.append(buffer, read);
    CloseHandle(readEnd);
    if (WaitForSingleObject(started.hProcess, kWaitMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(started.hProcess, &run.exitCode);
    else
        ADD_FAILURE() << "qvdriver.exe did not end";
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    return run;
}

// A message box shown on a thread of this test; its answer is kept for the test to check.
class BoxThread {
public:
    BoxThread(std::wstring caption, std::wstring text) : mCaption(std::move(caption)), mText(std::move(text)) {
        mThread = CreateThread(nullptr, 0, &BoxThread::Run, this, 0, nullptr);
    }
    ~BoxThread() {
        if (!mThread) return;
        if (WaitForSingleObject(mThread, 0) == WAIT_TIMEOUT) {
            // The test failed before answering: close the box so the thread ends.
            windriver::WindowQuery query;
            query.title = mCaption;
            query.processId = GetCurrentProcessId();
            if (HWND box = windriver::FindTopWindow(query)) PostMessageW(box, WM_CLOSE, 0, 0);
            WaitForSingleObject(mThread, kWaitMs);
        }
        CloseHandle(mThread);
    }
    BoxThread(const BoxThread&) = delete;
    BoxThread& operator=(const BoxThread&) = delete;

    bool Started() const { return mThread != nullptr; }
    // The button that ended the box (IDOK, IDCANCEL), or 0 when it did not end in time.
    int Answer() {
        if (WaitForSingleObject(mThread, kWaitMs) != WAIT_OBJECT_0) return 0;
        return mAnswer;
    }

private:
    static DWORD WINAPI Run(void* self) {
        auto* box = static_cast<BoxThread*>(self);
        box->mAnswer = MessageBoxW(nullptr, box->mText.c_str(), box->mCaption.c_str(), MB_OKCANCEL);
        return 0;
    }

    std::wstring mCaption;
    std::wstring mText;
    HANDLE mThread = nullptr;
    int mAnswer = 0;
};

std::wstring UniqueCaption(const wchar_t* what) {
    return std::wstring(L"qvdriver-") + what + L"-" + std::to_wstring(GetCurrentProcessId());
}

std::wstring TitleArguments(const std::wstring& caption) {
    return L"--title \"" + caption + L"\" --pid " + std::to_wstring(GetCurrentProcessId());
}

TEST(QvDriver, WaitFindsTheWindowAndCloseEndsIt) {
    const std::wstring caption = UniqueCaption(L"wait");
    BoxThread box(caption, L"等待");
    ASSERT_TRUE(box.Started());
    const DriverRun wait = RunDriver(L"wait " + TitleArguments(caption));
    EXPECT_EQ(wait.exitCode, 0u) << wait.output;
    windriver::WindowQuery query;
    query.title = caption;
    query.processId = GetCurrentProcessId();
    HWND window = windriver::FindTopWindow(query);
    ASSERT_NE(window, nullptr);
    char expected[32];
    snprintf(expected, sizeof expected, "0x%08lX\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
    EXPECT_EQ(wait.output, expected);

    const DriverRun close = RunDriver(L"close " + TitleArguments(caption));
    EXPECT_EQ(close.exitCode, 0u) << close.output;
    EXPECT_EQ(box.Answer(), IDCANCEL) << "WM_CLOSE ends a message box as Cancel";
}

TEST(QvDriver, TextReadsTheMessageAndPressAnswersById) {
    const std::wstring caption = UniqueCaption(L"text");
    BoxThread box(caption, L"无效的程序版本\r\n第二行");
    ASSERT_TRUE(box.Started());
    const DriverRun text = RunDriver(L"text " + TitleArguments(caption));
    EXPECT_EQ(text.exitCode, 0u) << text.output;
    EXPECT_EQ(text.output, qvtest::Narrow(L"无效的程序版本\r\n第二行") + "\n");
    const DriverRun press = RunDriver(L"press " + TitleArguments(caption) + L" --id 2");
    EXPECT_EQ(press.exitCode, 0u) << press.output;
    EXPECT_EQ(box.Answer(), IDCANCEL);
}

TEST(QvDriver, PressFindsAButtonByItsText) {
    const std::wstring caption = UniqueCaption(L"button");
    BoxThread box(caption, L"按钮");
    ASSERT_TRUE(box.Started());
    windriver::WindowQuery query;
    query.title = caption;
    query.processId = GetCurrentProcessId();
    HWND window = windriver::WaitForTopWindow(query, kWaitMs);
    ASSERT_NE(window, nullptr);
    // The OK button's text depends on the system's language; the driver is given whatever it is here.
    const std::wstring okText = windriver::WindowText(windriver::FindChildById(window, IDOK));
    ASSERT_FALSE(okText.empty());
    const DriverRun missing = RunDriver(L"press " + TitleArguments(caption) + L" --button \"no such button\"");
    EXPECT_EQ(missing.exitCode, 1u) << missing.output;
    const DriverRun press = RunDriver(L"press " + TitleArguments(caption) + L" --button \"" + okText + L"\"");
    EXPECT_EQ(press.exitCode, 0u) << press.output;
    EXPECT_EQ(box.Answer(), IDOK);
}

TEST(QvDriver, MissingWindowEndsWithOne) {
    const DriverRun run = RunDriver(L"wait --title \"" + UniqueCaption(L"absent") + L"\" --timeout 300");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find("no such window"), std::string::npos) << run.output;
}

struct BadCommandLine {
    const char* name;
    const wchar_t* arguments;
};
void PrintTo(const BadCommandLine& c, std::ostream* out) { *out << c.name; }

class QvDriverUsage : public ::testing::TestWithParam<BadCommandLine> {};

TEST_P(QvDriverUsage, BadCommandLineEndsWithTwo) {
    const DriverRun run = RunDriver(GetParam().arguments);
    EXPECT_EQ(run.exitCode, 2u) << run.output;
    EXPECT_NE(run.output.find("usage"), std::string::npos) << run.output;
}

const BadCommandLine kBadCommandLines[] = {
    {"Nothing", L""},
    {"NoTitle", L"wait --pid 1"},
    {"TitleWithoutValue", L"wait --title"},
    {"UnknownCommand", L"jump --title x"},
    {"UnknownOption", L"wait --title x --colour red"},
    {"PressWithoutButton", L"press --title x"},
};
INSTANTIATE_TEST_SUITE_P(Cases, QvDriverUsage, ::testing::ValuesIn(kBadCommandLines),
                         [](const ::testing::TestParamInfo<BadCommandLine>& info) { return info.param.name; });

}  // namespace
