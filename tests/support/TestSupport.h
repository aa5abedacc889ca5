// Helpers for tests that run real programs under Wine and look at what they left on disk. Test thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qvtest {

// A fresh folder below the temporary folder, removed with everything in it when the object ends. The tag (a test's
// name, say) only makes it easier to recognise; the process id and a counter keep folders apart.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& tag = L"qvtest");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return mPath; }
    std::wstring operator/(const std::wstring& part) const { return mPath + L"\\" + part; }

private:
    std::wstring mPath;
};

// File helpers. Absolute drive paths go through their \\?\ form, so folders deeper than MAX_PATH work too.
std::wstring LongPath(const std::wstring& path);
bool MakeFolders(const std::wstring& path);  // every missing level
bool RemoveTree(const std::wstring& path);   // true when it is gone
bool Exists(const std::wstring& path);
bool IsFolder(const std::wstring& path);
bool IsFile(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);  // empty when unreadable
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool CopyInto(const std::wstring& source, const std::wstring& target);
bool RemoveFile(const std::wstring& path);  // true when it is gone
// Names (not paths) of the entries of folder matching pattern, sorted.
std::vector<std::wstring> ListNames(const std::wstring& folder, const wchar_t* pattern = L"*");

std::string Narrow(const std::wstring& text);  // UTF-8
std::wstring Widen(const std::string& utf8);

struct ProcessResult {
    bool finished = false;
    DWORD exitCode = 0;
};

// Runs a command line with extra environment variables (name -> value) and waits up to timeoutMs.
ProcessResult RunProcess(const std::wstring& commandLine, const std::map<std::wstring, std::wstring>& env = {},
                         DWORD timeoutMs = 60000);

// Runs the calling thread's message loop (where task thread 1's commands run) until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// A Windows path of a file built by this build, from the Linux path CMake knows (Wine maps Z: to /).
std::wstring BuildPath(const char* linuxPath);

}  // namespace qvtest
