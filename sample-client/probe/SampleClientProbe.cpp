#include "SampleClientProbe.h"

#include <utility>

#include "TestSupport.h"
#include "TestProcess.h"
#include "WinDriver.h"

namespace sampleclient {

namespace {
const wchar_t kWindowClass[] = L"QuorviaSampleClient";
}

SampleClientProbe::SampleClientProbe(std::wstring libFolder) : mLibFolder(std::move(libFolder)) {}

SampleClientProbe::~SampleClientProbe() {
    // Whatever the test found, a runtime it started must not outlive it (it holds files in the test folder).
    const std::string record = Record();
    size_t begin = 0;
    for (size_t end; (end = record.find('\n', begin)) != std::string::npos; begin = end + 1) {
        const std::wstring package = qvtest::Widen(record.substr(begin, end - begin));
        windriver::WindowQuery query;
        query.title = package;
        query.className = kWindowClass;
        query.visibleOnly = false;
        for (HWND window : windriver::FindTopWindows(query)) {
            qvtest::TestProcess process;
            if (process.Attach(windriver::ProcessOf(window))) process.Terminate();
        }
    }
}

bool SampleClientProbe::Started() const { return qvtest::Exists(RecordPath()); }

std::string SampleClientProbe::Record() const { return qvtest::ReadBytes(RecordPath()); }

bool SampleClientProbe::WaitForStart(DWORD timeoutMs) const {
    return windriver::WaitUntil(
        [this] {
            const std::string record = Record();
            return !record.empty() && record.back() == '\n';
        },
        timeoutMs);
}

bool SampleClientProbe::CloseWindowOf(const std::wstring& package, DWORD timeoutMs) {
    windriver::WindowQuery query;
    query.title = package;
    query.className = kWindowClass;
    HWND window = windriver::WaitForTopWindow(query, timeoutMs);
    if (!window) return false;
    qvtest::TestProcess process;
    if (!process.Attach(windriver::ProcessOf(window)) || !windriver::CloseWindow(window)) return false;
    DWORD exitCode = 0;
    return process.WaitForExit(timeoutMs, &exitCode);
}

}  // namespace sampleclient
