// update.exe: installs a new application package given on the command line.
//
//   update.exe <path of the new package> <version text>
//
// The UI thread runs the main window and its child dialog (UpdateDialog); the copy runs on a worker (CopyJob). All
// files are found beside update.exe, never through the current directory, so that any caller gets the same result.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "Failure.h"
#include "UpdateDialog.h"
#include "resource.h"

namespace {

constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 150;
constexpr int kResourceTextChars = 100;

// The argument list from CommandLineToArgvW; freed with LocalFree.
class ArgumentList {
public:
    ArgumentList() : mArgs(CommandLineToArgvW(GetCommandLineW(), &mCount)) {
        if (!mArgs) {
            ReportFailure(L"CommandLineToArgvW");
            mCount = 0;
        }
    }
    ~ArgumentList() {
        if (mArgs && LocalFree(mArgs)) ReportFailure(L"LocalFree");
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;
    int Count() const { return mCount; }
    const wchar_t* operator[](int index) const { return mArgs[index]; }

private:
    // mCount comes first: CommandLineToArgvW fills it while mArgs is initialised.
    int mCount = 0;
    wchar_t** mArgs;
};

std::wstring LoadText(HINSTANCE instance, UINT id) {
    wchar_t text[kResourceTextChars + 1] = {};
    if (LoadStringW(instance, id, text, kResourceTextChars + 1) == 0) ReportFailure(L"LoadStringW");
    return text;
}

// The folder update.exe lies in, without a trailing backslash; empty on failure.
std::wstring ProgramFolder() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        ReportFailure(L"GetModuleFileNameW");
        return std::wstring();
    }
    path.resize(length);
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<UpdateDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_CREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            dialog = static_cast<UpdateDialog*>(create->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
            if (!dialog->Create(create->hInstance, window)) return -1;
            return 0;
        }
        case WM_CLOSE:
            if (dialog && !dialog->OnCloseRequest()) return 0;
            break;
        case WM_PAINT: {
            // The dialog covers what matters; the window only validates its area.
            PAINTSTRUCT paint;
            if (BeginPaint(window, &paint)) EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    ArgumentList args;
    if (args.Count() < 3) {
        if (!MessageBoxW(nullptr, L"无效的参数\r\n更新失败！", L"Oplanda", MB_OK)) ReportFailure(L"MessageBoxW");
        return 0;
    }
    const std::wstring folder = ProgramFolder();
    if (folder.empty()) return 0;

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&controls)) ReportFailure(L"InitCommonControlsEx");

    const std::wstring title = LoadText(instance, IDS_APP_TITLE);
    const std::wstring className = LoadText(instance, IDS_WINDOW_CLASS);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_UPDATE));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className.c_str();
    if (!windowClass.hIcon) ReportFailure(L"LoadIconW(130)");
    if (!RegisterClassExW(&windowClass)) {
        ReportFailure(L"RegisterClassExW");
        return 0;
    }

    UpdateDialog dialog(folder, args[1], args[2]);
    HWND window = CreateWindowW(className.c_str(), title.c_str(), WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, 0,
                                kWindowWidth, kWindowHeight, nullptr, nullptr, instance, &dialog);
    if (!window) {
        ReportFailure(L"CreateWindowW");
        return 0;
    }
    const int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
    if (!SetWindowPos(window, nullptr, left, top, kWindowWidth, kWindowHeight, SWP_NOZORDER | SWP_SHOWWINDOW))
        ReportFailure(L"SetWindowPos");
    ShowWindow(window, showCommand);
    if (!UpdateWindow(window)) ReportFailure(L"UpdateWindow");

    MSG message = {};
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            ReportFailure(L"GetMessageW");
            return 0;
        }
        // The dialog is modeless: this gives its button the keyboard (Tab, Enter, Space).
        if (dialog.Window() && IsDialogMessageW(dialog.Window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
