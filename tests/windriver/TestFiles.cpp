#include "TestFiles.h"

#include <windows.h>

#include <vector>

namespace testkit {

std::wstring FromBuildPath(const char* unixPath)
{
    std::wstring path = L"Z:" + Wide(unixPath);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

std::wstring LongPath(const std::wstring& path)
{
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + path;
    return path;
}

bool MakeFolders(const std::wstring& path)
{
    // Every level from the drive down; levels that exist already are fine.
    for (size_t slash = path.find(L'\\', 3); ; slash = path.find(L'\\', slash + 1)) {
        const std::wstring level = path.substr(0, slash);
        if (!CreateDirectoryW(LongPath(level).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (slash == std::wstring::npos)
            return true;
    }
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = bytes.empty()
        || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
            && written == bytes.size());
    return CloseHandle(file) && ok;
}

bool ReadBytes(const std::wstring& path, std::string* bytes)
{
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0)
        bytes->append(buffer, read);
    return CloseHandle(file) && ok;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyInto(const std::wstring& source, const std::wstring& target)
{
    return CopyFileW(LongPath(source).c_str(), LongPath(target).c_str(), FALSE) != FALSE;
}

bool RemoveFile(const std::wstring& path)
{
    return DeleteFileW(LongPath(path).c_str()) != FALSE || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(LongPath(path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else {
                SetFileAttributesW(LongPath(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(LongPath(child).c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return RemoveDirectoryW(LongPath(path).c_str()) != FALSE || !Exists(path);
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string utf8(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty())
        return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(size > 0 ? static_cast<size_t>(size) : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], size);
    return text;
}

} // namespace testkit
