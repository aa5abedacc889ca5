#include "TestProcess.h"

namespace qvtest {

TestProcess::~TestProcess() {
    Terminate();
    Release();
}

void TestProcess::Release() {
    if (mProcess) CloseHandle(mProcess);
    mProcess = nullptr;
    mId = 0;
}

bool TestProcess::Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder) {
    Terminate();
    Release();
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started))
        return false;
    CloseHandle(started.hThread);
    mProcess = started.hProcess;
    mId = started.dwProcessId;
    return true;
}

bool TestProcess::Attach(DWORD processId) {
    Terminate();
    Release();
    mProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!mProcess) return false;
    mId = processId;
    return true;
}

bool TestProcess::Running() const { return mProcess && WaitForSingleObject(mProcess, 0) == WAIT_TIMEOUT; }

bool TestProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!mProcess || WaitForSingleObject(mProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(mProcess, exitCode) != FALSE;
}

void TestProcess::Terminate() {
    if (Running()) {
        TerminateProcess(mProcess, 1);
        WaitForSingleObject(mProcess, 10000);
    }
}

}  // namespace qvtest
