#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "Logger.h"
#include "TestSupport.h"

using qvtest::ListNames;
using qvtest::Narrow;
using qvtest::ReadBytes;
using qvtest::TempFolder;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

// Runs the writer on folder for the duration of body, then returns the names of the files it left.
template <class Body>
std::vector<std::wstring> WithWriter(const TempFolder& folder, Body body) {
    ryn::StartLogWriter(L"TST", folder.Path().c_str());
    body();
    ryn::StopLogWriter();
    return ListNames(folder.Path());
}

std::string RecordPattern(const char* level, const std::string& location, const std::string& message) {
    return "<- \\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} " + std::string(level) + " \\( " +
           std::to_string(GetCurrentThreadId()) + " \\) ->" + location + "\r\n" + message + "\r\n\r\n";
}

}  // namespace

TEST(Logger, FileIsNamedByThePatternAndHoldsExactRecords) {
    TempFolder folder;
    int line = 0;
    const auto files = WithWriter(folder, [&] {
        ryn::Logger(2, "wWinMain", 40).Append(L"Mutex已存在，放弃执行。Error：183");
        ryn::Logger(1, "", 12).Append(L"no location");
        ryn::Logger(3, "SetupRunnable::OnRunning", 0).AppendFormat(L"code %X", 0x80070005u);
        ryn::Logger(4, "f", 1).Append(L"level four");
        ryn::Logger(1, "f", 2);  // empty message: no record
        line = __LINE__ + 1;
        RYN_LOG(1, "Macro").Append(L"m");
    });
    ASSERT_EQ(files.size(), 1u);
    const std::regex name("TST-\\d{8}-\\d{6}-" + std::to_string(GetCurrentProcessId()) + "-0\\.txt");
    EXPECT_TRUE(std::regex_match(Narrow(files[0]), name)) << Narrow(files[0]);

    const std::string text = ReadBytes(folder / files[0]);
    ASSERT_EQ(text.substr(0, 3), kBom);
    const std::string expected = RecordPattern("Warn", " \\[ wWinMain @ 40 \\]", "Mutex已存在，放弃执行。Error：183") +
                                 RecordPattern("Info", "", "no location") +
                                 RecordPattern("Error", " \\[ SetupRunnable::OnRunning \\]", "code 80070005") +
                                 RecordPattern("", " \\[ f @ 1 \\]", "level four") +
                                 RecordPattern("Info", " \\[ Macro @ " + std::to_string(line) + " \\]", "m");
    EXPECT_TRUE(std::regex_match(text.substr(3), std::regex(expected))) << text;
}

TEST(Logger, RotatesPastTenMillionBytesAndKeepsTheEarlierFileWhole) {
    TempFolder folder;
    const std::wstring big(1000000, L'x');
    const auto files = WithWriter(folder, [&] {
        for (int i = 0; i < 11; ++i) ryn::Logger(1, "Big", i + 1).Append(big.c_str());
    });
    ASSERT_EQ(files.size(), 2u);
    EXPECT_NE(Narrow(files[0]).find("-0.txt"), std::string::npos);
    EXPECT_NE(Narrow(files[1]).find("-1.txt"), std::string::npos);

    const std::string first = ReadBytes(folder / files[0]);
    const std::string second = ReadBytes(folder / files[1]);
    EXPECT_GT(first.size(), 10000000u);
    EXPECT_EQ(first.substr(0, 3), kBom);
    EXPECT_EQ(first.substr(first.size() - 4), "\r\n\r\n");
    EXPECT_NE(first.find("[ Big @ 10 ]"), std::string::npos);
    EXPECT_EQ(first.find("[ Big @ 11 ]"), std::string::npos);
    ASSERT_EQ(second.substr(0, 3), kBom);
    EXPECT_EQ(second.find("<- "), 3u);  // the eleventh record opens the new file
    EXPECT_NE(second.find("[ Big @ 11 ]"), std::string::npos);
}

TEST(Logger, FlushWithoutAFileStillSignals) {
    TempFolder folder;
    const std::wstring missing = folder / L"missing";
    ryn::StartLogWriter(L"TST", missing.c_str());
    const DWORD writer = ryn::LogWriterThreadId();
    ASSERT_NE(writer, 0u);
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE handedOver = nullptr;
    ASSERT_TRUE(
        DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &handedOver, 0, FALSE, DUPLICATE_SAME_ACCESS));
    ASSERT_TRUE(PostThreadMessageW(writer, WM_USER + 1, 0, reinterpret_cast<LPARAM>(handedOver)));
    EXPECT_EQ(WaitForSingleObject(event, 10000), WAIT_OBJECT_0);
    CloseHandle(event);
    ryn::StopLogWriter();
    EXPECT_EQ(ryn::LogWriterThreadId(), 0u);
    EXPECT_FALSE(qvtest::IsFolder(missing));
}

namespace {

// Runs the child under a debug-event loop; returns everything it sent to the debugger.
std::string DebuggerOutputOf(const std::wstring& arguments) {
    std::wstring line = L"logger_child.exe " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
        return std::string();
    }
    std::string output;
    for (bool running = true; running;) {
        DEBUG_EVENT event = {};
        if (!WaitForDebugEvent(&event, 30000)) {
            ADD_FAILURE() << "the child sent no debug event in time";
            TerminateProcess(process.hProcess, 1);
            break;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
                break;
            case OUTPUT_DEBUG_STRING_EVENT: {
                const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
                const size_t unit = info.fUnicode ? 2 : 1;
                std::string raw(info.nDebugStringLength * unit, '\0');
                SIZE_T got = 0;
                ReadProcessMemory(process.hProcess, info.lpDebugStringData, &raw[0], raw.size(), &got);
                raw.resize(got);
                if (info.fUnicode) {
                    std::wstring wide(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / 2);
                    output += Narrow(wide.c_str());
                } else {
                    output += raw.c_str();
                }
                break;
            }
            case EXCEPTION_DEBUG_EVENT:
                if (!event.u.Exception.dwFirstChance ||
                    event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                    status = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                running = false;
                break;
            default:
                break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return output;
}

}  // namespace

TEST(Logger, LevelZeroReachesTheDebuggerOnly) {
    TempFolder folder;
    const std::string output = DebuggerOutputOf(L"level0 \"" + folder.Path() + L"\"");
    EXPECT_EQ(output, " [ wWinMain @ 40 ]:M\r\n");
    const auto files = ListNames(folder.Path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadBytes(folder / files[0]), kBom);  // the file has the mark and nothing else
}

TEST(Logger, MissingFolderGivesTheDebuggerTextAndNoFile) {
    TempFolder folder;
    const std::wstring missing = folder / L"gone";
    const std::string output = DebuggerOutputOf(L"nofolder \"" + missing + L"\"");
    const std::regex text(
        "\\[LOG\\] can't create log file: " + std::regex_replace(Narrow(missing), std::regex("\\\\"), "\\\\") +
        "\\\\CHD-\\d{8}-\\d{6}-\\d+-0\\.txt, err code \\( 3 \\)\r\n");
    EXPECT_TRUE(std::regex_match(output, text)) << output;
    EXPECT_FALSE(qvtest::IsFolder(missing));
    EXPECT_TRUE(ListNames(folder.Path()).empty());
}
