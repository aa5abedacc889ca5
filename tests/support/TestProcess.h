// TestProcess: a program a test started (or found running) and must not leave behind.
//
// Owns the process handle. When the object ends and the process still runs, it is ended, so that a failing test
// does not leave windows and file locks to the next one. One thread.
#pragma once

#include <windows.h>

#include <string>

namespace qvtest {

class TestProcess {
public:
    TestProcess() = default;
    ~TestProcess();
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    // Starts program with the command line "<program>" + (arguments empty ? "" : " " + arguments), in folder
    // (empty: the test's own current folder). False when CreateProcessW fails.
    bool Start(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder);
    // Takes a running process by id, with the rights to wait for it, read its exit code and end it.
    bool Attach(DWORD processId);

    DWORD Id() const { return mId; }
    HANDLE Handle() const { return mProcess; }
    bool Running() const;
    // Waits for the end; true with the exit code when it ended within timeoutMs.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    void Terminate();

private:
    void Release();

    HANDLE mProcess = nullptr;
    DWORD mId = 0;
};

}  // namespace qvtest
