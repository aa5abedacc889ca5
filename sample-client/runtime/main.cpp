// The stand-in client runtime, shipped as lib\Quorvia.dll in place of the real NW.js runtime.
//
// One thread. It records the package path it was given (its first argument) by appending it, in UTF-8 and followed
// by a line feed, to "started.txt" beside itself, then opens a window titled with that path and runs until the window
// is closed. The record lets tests see which package the launcher chose and how often the runtime was started; the
// window gives a running "client" that installers and updaters can find and end.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

const wchar_t kWindowClass[] = L"QuorviaSampleClient";

void Complain(const wchar_t* what) {
    std::wstring line = L"sample client: ";
    line += what;
    line += L" failed\n";
    OutputDebugStringW(line.c_str());
}

// Owns a kernel handle.
class Handle {
public:
    explicit Handle(HANDLE handle) : mHandle(handle) {}
    ~Handle() {
        if (mHandle != INVALID_HANDLE_VALUE && mHandle && !CloseHandle(mHandle)) Complain(L"CloseHandle");
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return mHandle; }

private:
    HANDLE mHandle;
};

// The argument list from CommandLineToArgvW, freed with LocalFree.
class Arguments {
public:
    Arguments() : mArgs(CommandLineToArgvW(GetCommandLineW(), &mCount)) {
        if (!mArgs) {
            Complain(L"CommandLineToArgvW");
            mCount = 0;
        }
    }
    ~Arguments() {
        if (mArgs && LocalFree(mArgs)) Complain(L"LocalFree");
    }
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    int Count() const { return mCount; }
    const wchar_t* operator[](int index) const { return mArgs[index]; }

private:
    // mCount comes first: CommandLineToArgvW fills it while mArgs is initialised.
    int mCount = 0;
    wchar_t** mArgs;
};

std::wstring OwnFolder() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        Complain(L"GetModuleFileNameW");
        return std::wstring();
    }
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\'));
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        Complain(L"WideCharToMultiByte");
        return std::string();
    }
    std::string utf8(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr,
                            nullptr) != bytes) {
        Complain(L"WideCharToMultiByte");
        return std::string();
    }
    return utf8;
}

// Appends one line to started.txt. The \\?\ form keeps deep install folders (near the path limit) working.
void RecordStart(const std::wstring& package) {
    const std::wstring folder = OwnFolder();
    if (folder.empty()) return;
    const std::wstring record = L"\\\\?\\" + folder + L"\\started.txt";
    Handle file(CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        Complain(L"CreateFileW started.txt");
        return;
    }
    const std::string line = ToUtf8(package) + "\n";
    DWORD written = 0;
    if (!WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size())
        Complain(L"WriteFile started.txt");
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    Arguments args;
    const std::wstring package = args.Count() >= 2 ? args[1] : L"";
    RecordStart(package);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassW(&windowClass)) {
        Complain(L"RegisterClassW");
        return 1;
    }
    const std::wstring title = package.empty() ? std::wstring(L"Quorvia sample client") : package;
    HWND window = CreateWindowW(kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480,
                                160, nullptr, nullptr, instance, nullptr);
    if (!window) {
        Complain(L"CreateWindowW");
        return 1;
    }
    ShowWindow(window, showCommand);
    if (!UpdateWindow(window)) Complain(L"UpdateWindow");

    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            Complain(L"GetMessageW");
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
