#include "SystemOperations.h"

#include "ComPtr.h"

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <deque>
#include <memory>

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"Quorvia";
const wchar_t kPickerTitle[] = L"请选择Oplanda的安装目录";

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
using ScopedHandle = std::unique_ptr<void, HandleCloser>;

// Enumerates folder\relative\*.* and calls visit(relativePath, findData) for every entry but "." and "..".
template <class Visit>
void ForEachEntry(const ryn::RynString& root, const ryn::RynString& relative, Visit visit) {
    const ryn::RynString pattern = CombinePath(CombinePath(root, relative.c_str()), L"*.*");
    if (pattern.IsEmpty()) return;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) continue;
        ryn::RynString path = relative;
        path.Append(data.cFileName, static_cast<int>(wcslen(data.cFileName)));
        visit(path, data);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

bool IsFolderEntry(const WIN32_FIND_DATAW& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

ryn::RynString WithBackslash(const ryn::RynString& path) {
    ryn::RynString out = path;
    out.AppendChar(L'\\');
    return out;
}

// The folder picker keeps its initial folder here for the browse callback: one picker at a time.
wchar_t gBrowseInitial[MAX_PATH];

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(gBrowseInitial));
    return 0;
}

bool IsVistaOrLater() {
    static const bool vista = [] {
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof version;
        return GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5;
    }();
    return vista;
}


bool PickWithFileDialog(HWND owner, const ryn::RynString& initial, ryn::RynString& answer) {
    using CreateItemFn = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
    HMODULE shell32 = GetModuleHandleW(L"Shell32.dll");
    const auto createItem = shell32 != nullptr
                                ? reinterpret_cast<CreateItemFn>(GetProcAddress(shell32, "SHCreateItemFromParsingName"))
                                : nullptr;
    if (createItem == nullptr) return false;
    IFileOpenDialog* raw = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(&raw)))) {
        return false;
    }
    ComPtr<IFileOpenDialog> dialog(raw);
    IShellItem* folder = nullptr;
    if (SUCCEEDED(createItem(initial.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(&folder)))) {
        dialog->SetFolder(folder);
        folder->Release();
    }
    dialog->SetTitle(kPickerTitle);
    dialog->SetOptions(FOS_PICKFOLDERS);
    if (SUCCEEDED(dialog->Show(owner))) {
        IShellItem* result = nullptr;
        if (SUCCEEDED(dialog->GetResult(&result))) {
            PWSTR path = nullptr;
            if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                answer = path;
                CoTaskMemFree(path);
            }
            result->Release();
        }
    }
    return true;
}

}  // namespace

ryn::RynString CombinePath(const ryn::RynString& folder, const wchar_t* part) {
    wchar_t combined[MAX_PATH] = L"";
    if (PathCombineW(combined, folder.c_str(), part) == nullptr) return ryn::RynString();
    return ryn::RynString(combined);
}

bool KillProcessByName(const wchar_t* name) {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!Process32FirstW(snapshot.get(), &entry)) return false;
    do {
        if (_wcsicmp(entry.szExeFile, name) != 0) continue;
        ScopedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (!process) continue;  // not ours to end: skipped silently
        if (TerminateProcess(process.get(), 0)) WaitForSingleObject(process.get(), 5000);
    } while (Process32NextW(snapshot.get(), &entry));
    return true;
}

void ListFolderContent(const ryn::RynString& root, const ryn::RynString& relative, std::vector<ryn::RynString>& folders,
                       std::vector<ryn::RynString>& files) {
    std::vector<ryn::RynString> below;
    ForEachEntry(root, relative, [&](const ryn::RynString& path, const WIN32_FIND_DATAW& data) {
        if (IsFolderEntry(data)) {
            folders.push_back(path);
            below.push_back(path);
        } else {
            files.push_back(path);
        }
    });
    for (const ryn::RynString& folder : below) ListFolderContent(root, WithBackslash(folder), folders, files);
}

ryn::RynString FindFirstFileBelow(const ryn::RynString& folder, const ryn::RynString& relative) {
    ryn::RynString found;
    std::vector<ryn::RynString> below;
    bool done = false;
    ForEachEntry(folder, relative, [&](const ryn::RynString& path, const WIN32_FIND_DATAW& data) {
        if (done) return;
        if (!IsFolderEntry(data)) {
            found = path;
            done = true;
        } else {
            below.push_back(path);
        }
    });
    if (done) return found;
    for (const ryn::RynString& sub : below) {
        found = FindFirstFileBelow(folder, WithBackslash(sub));
        if (!found.IsEmpty()) return found;
    }
    return found;
}

DWORD GetFolderSizeKB(const ryn::RynString& folder) {
    DWORD total = 0;
    std::deque<ryn::RynString> pending{folder};
    while (!pending.empty()) {
        const ryn::RynString current = pending.front();
        pending.pop_front();
        ForEachEntry(current, ryn::RynString(), [&](const ryn::RynString& name, const WIN32_FIND_DATAW& data) {
            if (IsFolderEntry(data)) {
                if (data.cFileName[0] != L'.') pending.push_back(CombinePath(current, name.c_str()));
            } else {
                total += data.nFileSizeLow;  // 32-bit sum by design: the entry's size field is a DWORD
            }
        });
    }
    return total / 1024;
}

bool ShellDeleteFolder(const ryn::RynString& path) {
    wchar_t from[MAX_PATH + 1] = {};
    if (path.Length() >= MAX_PATH) return false;
    wmemcpy(from, path.c_str(), static_cast<size_t>(path.Length()));  // the rest stays zero: double terminator
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI | FOF_MULTIDESTFILES;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

bool CreateFolderChain(const ryn::RynString& path) {
    ryn::RynString folder = path;
    const int length = folder.Length();
    if (length > 0 && folder.c_str()[length - 1] == L'\\' && !(length == 3 && folder.c_str()[1] == L':')) {
        folder = folder.Left(length - 1);
    }
    if (folder.IsEmpty()) return false;
    if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    if (error != ERROR_PATH_NOT_FOUND) return false;
    const wchar_t* text = folder.c_str();
    const wchar_t* last = wcsrchr(text, L'\\');
    if (last == nullptr || last == text) return false;
    // Parents first (recursively from the deepest existing one), then this folder.
    if (!CreateFolderChain(folder.Left(static_cast<int>(last - text)))) return false;
    if (CreateDirectoryW(text, nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(text);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDeleteFile(const ryn::RynString& path) {
    return SetFileAttributesW(path.c_str(), 0) && DeleteFileW(path.c_str());
}

ryn::RynString GetProductVersionText(const ryn::RynString& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return ryn::RynString();
    std::unique_ptr<BYTE[]> info(new BYTE[size]);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, info.get())) return ryn::RynString();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(info.get(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return ryn::RynString();
    }
    return ryn::FormatString(L"%d.%d.%d.%d", HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                             HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
}

ryn::RynString BrowseForInstallFolder(HWND owner, const ryn::RynString& initial) {
    ryn::RynString answer;
    if (IsVistaOrLater() && PickWithFileDialog(owner, initial, answer)) return answer;

    lstrcpynW(gBrowseInitial, initial.c_str(), MAX_PATH);
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = kPickerTitle;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    browse.lpfn = BrowseCallback;
    if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse)) {
        wchar_t path[MAX_PATH] = L"";
        if (SHGetPathFromIDListW(chosen, path)) answer = path;
        CoTaskMemFree(chosen);
    }
    return answer;
}

double GetFreeSpaceMB(const wchar_t* drive) {
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(drive, &available, nullptr, nullptr)) return 0;
    return static_cast<double>(available.QuadPart >> 20);
}

LONG ReadRegistryString(HKEY key, const wchar_t* name, wchar_t* buffer, DWORD* n) {
    DWORD type = 0;
    DWORD bytes = *n * sizeof(wchar_t);
    const LONG result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (result != ERROR_SUCCESS) return result;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    if (bytes % sizeof(wchar_t) != 0) return ERROR_INVALID_DATA;
    const DWORD chars = bytes / sizeof(wchar_t);
    if (chars > 0 && buffer[chars - 1] != L'\0') return ERROR_INVALID_DATA;
    *n = chars;
    return ERROR_SUCCESS;
}

LONG CreateRegistryKey(HKEY parent, const wchar_t* path, RegistryKey& key) {
    key.Close();
    HKEY created = nullptr;
    const LONG result = RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                        nullptr, &created, nullptr);
    if (result == ERROR_SUCCESS) key.Reset(created);
    return result;
}

bool SetRunValue(const ryn::RynString& path) {
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kRunKey, KEY_READ | KEY_WRITE) != ERROR_SUCCESS &&
        CreateRegistryKey(HKEY_CURRENT_USER, kRunKey, key) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result = RegSetValueExW(key.Get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                       static_cast<DWORD>((path.Length() + 1) * sizeof(wchar_t)));
    RegFlushKey(key.Get());
    return result == ERROR_SUCCESS;
}

bool DeleteRunValue() {
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kRunKey, KEY_READ | KEY_WRITE) != ERROR_SUCCESS) return false;
    const LONG result = RegDeleteValueW(key.Get(), kRunValue);
    RegFlushKey(key.Get());
    return result == ERROR_SUCCESS;
}

bool GetRunValue(ryn::RynString& path) {
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, kRunKey, KEY_READ) != ERROR_SUCCESS) return false;
    for (DWORD size = 512; size < 1048576; size *= 2) {
        std::unique_ptr<wchar_t[]> buffer(new wchar_t[size]);
        DWORD n = size;
        const LONG result = ReadRegistryString(key.Get(), kRunValue, buffer.get(), &n);
        if (result == ERROR_SUCCESS) {
            path = n > 0 ? buffer.get() : L"";
            return true;
        }
        if (result != ERROR_MORE_DATA) return false;
    }
    return false;
}

HANDLE CreateMediumIntegrityToken() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE, &own)) return nullptr;
    ScopedHandle ownToken(own);
    HANDLE copy = nullptr;
    if (!DuplicateTokenEx(own, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &copy)) return nullptr;
    SID_IDENTIFIER_AUTHORITY mandatory = SECURITY_MANDATORY_LABEL_AUTHORITY;
    PSID medium = nullptr;
    if (AllocateAndInitializeSid(&mandatory, 1, SECURITY_MANDATORY_MEDIUM_RID, 0, 0, 0, 0, 0, 0, 0, &medium)) {
        TOKEN_MANDATORY_LABEL label = {};
        label.Label.Attributes = SE_GROUP_INTEGRITY;
        label.Label.Sid = medium;
        // Best effort: a system without integrity levels starts the client with the copy as it is.
        SetTokenInformation(copy, TokenIntegrityLevel, &label, sizeof label + GetLengthSid(medium));
        FreeSid(medium);
    }
    return copy;
}
