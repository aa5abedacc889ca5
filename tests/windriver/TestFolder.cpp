#include "TestFolder.h"

#include <windows.h>

#include <cctype>

#include "TestFiles.h"

namespace testkit {

TestFolder::TestFolder(const std::string& name)
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return;
    std::wstring base(temp, length);
    if (!base.empty() && base.back() == L'\\')
        base.pop_back();
    std::wstring clean;
    for (char c : name)
        clean += (isalnum(static_cast<unsigned char>(c)) ? static_cast<wchar_t>(c) : L'-');
    // The process id and a counter keep folders apart across parallel test programs and within one.
    static LONG counter = 0;
    const std::wstring path = base + L"\\qvt-" + clean + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-"
        + std::to_wstring(InterlockedIncrement(&counter));
    RemoveTree(path);
    if (MakeFolders(path))
        mPath = path;
}

TestFolder::~TestFolder()
{
    if (!mPath.empty())
        RemoveTree(mPath);
}

} // namespace testkit
