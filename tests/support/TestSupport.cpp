#include "TestSupport.h"

#include <algorithm>
#include <cwctype>
#include <string>

namespace qvtest {

TempFolder::TempFolder(const std::wstring& tag) {
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return;
    std::wstring clean;
    for (wchar_t c : tag) clean += iswalnum(c) ? c : L'-';
    static LONG counter = 0;
    const std::wstring path = std::wstring(temp) + clean + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(InterlockedIncrement(&counter));
    RemoveTree(path);
    if (MakeFolders(path)) mPath = path;
}

TempFolder::~TempFolder() {
    if (!mPath.empty()) RemoveTree(mPath);
}

std::wstring LongPath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    return path;
}

bool MakeFolders(const std::wstring& path) {
    for (size_t slash = path.find(L'\\', 3);; slash = path.find(L'\\', slash + 1)) {
        const std::wstring level = path.substr(0, slash);
        if (!CreateDirectoryW(LongPath(level).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
        if (slash == std::wstring::npos) return true;
    }
}

bool RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(LongPath(path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(LongPath(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(LongPath(child).c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    SetFileAttributesW(LongPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryW(LongPath(path).c_str()) != FALSE || !Exists(path);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file =
        CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        bytes.empty() ||
        (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size());
    return CloseHandle(file) && ok;
}

bool CopyInto(const std::wstring& source, const std::wstring& target) {
    return CopyFileW(LongPath(source).c_str(), LongPath(target).c_str(), FALSE) != FALSE;
}

bool RemoveFile(const std::wstring& path) {
    return DeleteFileW(LongPath(path).c_str()) != FALSE || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::vector<std::wstring> ListNames(const std::wstring& folder, const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

ProcessResult RunProcess(const std::wstring& commandLine, const std::map<std::wstring, std::wstring>& env,
                         DWORD timeoutMs) {
    // The child's environment: ours, with the overrides replacing variables of the same name.
    std::map<std::wstring, std::wstring> merged;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
            const std::wstring line = entry;
            const size_t eq = line.find(L'=', 1);
            if (eq != std::wstring::npos) merged[line.substr(0, eq)] = line.substr(eq + 1);
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& item : env) {
        for (auto it = merged.begin(); it != merged.end();) {
            it = _wcsicmp(it->first.c_str(), item.first.c_str()) == 0 ? merged.erase(it) : std::next(it);
        }
        merged[item.first] = item.second;
    }
    std::wstring block;
    for (const auto& item : merged) block += item.first + L"=" + item.second + L'\0';
    block += L'\0';

    ProcessResult result;
    std::wstring mutableLine = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, &block[0],
                        nullptr, &startup, &process)) {
        return result;
    }
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        result.finished = true;
        GetExitCodeProcess(process.hProcess, &result.exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return true;
}

std::wstring BuildPath(const char* linuxPath) {
    std::wstring path = L"Z:" + Widen(linuxPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

}  // namespace qvtest
