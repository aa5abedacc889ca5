#include "UpdateDialog.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <memory>
#include <utility>

#include "CopyJob.h"
#include "Failure.h"
#include "UniqueHandle.h"
#include "resource.h"

namespace {

// The running client is found by this image name and ended with this exit code.
const wchar_t kApplicationImage[] = L"app.dll";
constexpr UINT kEndedByUpdate = 4;

}  // namespace

UpdateDialog::UpdateDialog(std::wstring programFolder, std::wstring source, std::wstring version)
    : mProgramFolder(std::move(programFolder)),
      mSource(std::move(source)),
      mVersion(std::move(version)),
      mTarget(mProgramFolder + L"\\lib\\app-" + mVersion + L".nw"),
      mVersionFile(mProgramFolder + L"\\lib\\app.version") {}

bool UpdateDialog::Create(HINSTANCE instance, HWND mainWindow) {
    mMainWindow = mainWindow;
    mDialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_UPDATE), mainWindow, &UpdateDialog::DialogProc,
                                 reinterpret_cast<LPARAM>(this));
    if (!mDialog) {
        ReportFailure(L"CreateDialogParamW(101)");
        return false;
    }
    ShowWindow(mDialog, SW_SHOWNA);
    return true;
}

bool UpdateDialog::OnCloseRequest() {
    if (!mCopying) return true;
    mClosePending = true;
    InterlockedExchange(&mCancel, 1);
    return false;
}

INT_PTR CALLBACK UpdateDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        static_cast<UpdateDialog*>(reinterpret_cast<void*>(lParam))->mDialog = dialog;
        return TRUE;
    }
    auto* self = reinterpret_cast<UpdateDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR UpdateDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_UPDATE_BUTTON && HIWORD(wParam) == BN_CLICKED) {
                OnUpdatePressed();
                return TRUE;
            }
            return FALSE;
        case CopyJob::kCopyDone:
            OnCopyDone();
            return TRUE;
        case CopyJob::kCopyFailed:
            OnCopyFailed(static_cast<DWORD>(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

bool UpdateDialog::TargetExists() const {
    // Not FindFirstFileW: a version text with wildcards would let some other package pass for this one.
    if (GetFileAttributesW(mTarget.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) ReportFailure(L"GetFileAttributesW(target)");
    return false;
}

void UpdateDialog::OnUpdatePressed() {
    // A press that arrives while a copy runs (queued before the button was disabled, or sent directly) is ignored:
    // the existence test would find the half-written target and call it the latest version. After the copy the
    // finish question decides, and nothing else is started.
    if (mCopying || mFinished) return;

    if (TargetExists()) {
        if (Ask(L"当前已是最新版本，无需更新，点击确定进入Oplanda") == IDOK) StartLauncher();
        Quit();
        return;
    }

    HWND button = GetDlgItem(mDialog, IDC_UPDATE_BUTTON);
    HWND bar = GetDlgItem(mDialog, IDC_PROGRESS);
    if (!button || !bar) {
        ReportFailure(L"GetDlgItem");
        return;
    }
    auto job = std::make_unique<CopyJob>();
    job->source = mSource;
    job->target = mTarget;
    job->versionFile = mVersionFile;
    job->version = mVersion;
    job->dialog = mDialog;
    job->progressBar = bar;
    job->cancel = &mCancel;
    InterlockedExchange(&mCancel, 0);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    if (!CopyJob::Start(std::move(job))) return;  // nothing started; the button stays usable for another try
    mCopying = true;
    EnableWindow(button, FALSE);
}

void UpdateDialog::OnCopyDone() {
    mCopying = false;
    mFinished = true;
    if (mClosePending) {
        // The copy and the version file were complete when the close came: the update stands, nothing is started.
        if (!DestroyWindow(mMainWindow)) ReportFailure(L"DestroyWindow");
        return;
    }
    // The button stays disabled: this package is in place, and the question below ends the updater either way.
    if (Ask(L"更新完成，启动新版") == IDOK) {
        // The new package is started only in place of a running client; with none running nothing is started.
        if (EndApplicationProcess()) StartLauncher();
    }
    Quit();
}

void UpdateDialog::OnCopyFailed(DWORD error) {
    mCopying = false;
    if (mClosePending) {
        if (!DestroyWindow(mMainWindow)) ReportFailure(L"DestroyWindow");
        return;
    }
    // No message, as before; the button becomes usable again so that the user can retry once the cause is gone.
    if (HWND button = GetDlgItem(mDialog, IDC_UPDATE_BUTTON))
        EnableWindow(button, TRUE);
    else
        ReportFailure(L"GetDlgItem(1000)");
    if (HWND bar = GetDlgItem(mDialog, IDC_PROGRESS)) SendMessageW(bar, PBM_SETPOS, 0, 0);
}

int UpdateDialog::Ask(const wchar_t* text) const {
    const int answer = MessageBoxW(mDialog, text, L"更新", MB_OKCANCEL);
    if (answer == 0) ReportFailure(L"MessageBoxW");
    return answer;
}

void UpdateDialog::Quit() const { PostQuitMessage(0); }

bool UpdateDialog::EndApplicationProcess() {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) {
        ReportFailure(L"CreateToolhelp32Snapshot");
        return false;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!Process32FirstW(snapshot.Get(), &entry)) {
        ReportFailure(L"Process32FirstW");
        return false;
    }
    do {
        if (lstrcmpiW(entry.szExeFile, kApplicationImage) != 0) continue;
        // Only the right to end it: PROCESS_ALL_ACCESS as defined by newer headers is refused by Windows XP.
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (!process.Valid()) {
            ReportFailure(L"OpenProcess(app.dll)");
            return false;
        }
        if (!TerminateProcess(process.Get(), kEndedByUpdate)) {
            ReportFailure(L"TerminateProcess(app.dll)");
            return false;
        }
        return true;
    } while (Process32NextW(snapshot.Get(), &entry));
    if (GetLastError() != ERROR_NO_MORE_FILES) ReportFailure(L"Process32NextW");
    return false;
}

void UpdateDialog::StartLauncher() const {
    // The launcher beside update.exe, by its full path: the updater may have been started from any folder.
    const std::wstring launcher = mProgramFolder + L"\\Quorvia.exe";
    std::wstring commandLine = L"\"" + launcher + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(launcher.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, mProgramFolder.c_str(),
                        &startup, &started)) {
        ReportFailure(L"CreateProcessW(Quorvia.exe)");
        return;
    }
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
}
