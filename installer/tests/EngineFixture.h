// Shared set-up of the engine tests: real task threads, a private installer temporary folder, and a machine
// cleared of every trace of the product before and after each test. Test (UI) thread only.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "SetupNotify.h"
#include "TestSupport.h"

namespace enginetest {

// Every record the job delivered, in arrival order (the receiver runs on the UI thread, which is the test's).
extern std::vector<SetupNotify> gSetupRecords;
void RecordSetupNotify(const SetupNotify& notify);

// Runs thread 1's message loop until done() or the time is up (jobs get a minute and a half by default).
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 90000) {
    return qvtest::PumpUntil(done, timeoutMs);
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Removes the uninstall entry, HKLM\Software\Quorvia, the Run value, both shortcut sets, the default install
    // folder and the test service.
    static void ClearMachine();

    // A payload module of the tests, loaded as a data file (unloaded by TearDown).
    HMODULE PayloadModule(const wchar_t* name);
    // Posts an install job with the given module and waits for its final record; returns the records it sent.
    std::vector<SetupNotify> Install(HMODULE payload, const std::wstring& folder = L"", bool bootLaunch = false);

    static std::wstring ProgramsFolder();
    static std::wstring DesktopFolder();
    static std::wstring DefaultInstallFolder();

    std::unique_ptr<qvtest::TempFolder> mTemp;
    std::vector<HMODULE> mModules;
};

// Registry reads; empty / ~0u / false when missing.
std::wstring RegString(HKEY root, const wchar_t* path, const wchar_t* name, DWORD* type = nullptr);
DWORD RegDword(HKEY root, const wchar_t* path, const wchar_t* name);
bool RegKeyExists(HKEY root, const wchar_t* path);

struct Shortcut {
    bool loaded = false;
    std::wstring target, workingFolder, description, icon;
    int iconIndex = -1;
};
Shortcut ReadShortcut(const std::wstring& path);

// The folder holding the test programs and payloads (Windows path).
std::wstring FixtureOut();

}  // namespace enginetest
