// UpdateDialog: the child dialog of update.exe (resource 101) with the "更新" button and the progress bar, and the
// update it drives: the already-latest question, the copy on a worker thread, the finish question, ending the
// running client and starting the launcher.
//
// UI thread only. It owns the paths and the version text of this run and the cancel flag read by the copy worker;
// it lives (in wWinMain) until the process ends, so it outlives every worker it starts. The dialog window itself is
// owned by the main window, its parent.
#pragma once

#include <windows.h>

#include <string>

class UpdateDialog {
public:
    // programFolder: where update.exe lies; lib\ and Quorvia.exe are found there, whatever the current directory.
    UpdateDialog(std::wstring programFolder, std::wstring source, std::wstring version);
    UpdateDialog(const UpdateDialog&) = delete;
    UpdateDialog& operator=(const UpdateDialog&) = delete;

    // Creates the dialog as a child of the main window and shows it without activating it. False on failure.
    bool Create(HINSTANCE instance, HWND mainWindow);

    // The main window is being closed. True when it may go now; false while a copy runs: the copy is then cancelled
    // and the dialog closes the main window itself once the worker has stopped and removed the partial package.
    bool OnCloseRequest();

    // The dialog window, for IsDialogMessageW in the message loop; null before Create.
    HWND Window() const { return mDialog; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnUpdatePressed();
    void OnCopyDone();
    void OnCopyFailed(DWORD error);
    bool TargetExists() const;
    void StartLauncher() const;
    static bool EndApplicationProcess();
    int Ask(const wchar_t* text) const;
    void Quit() const;

    const std::wstring mProgramFolder;
    const std::wstring mSource;
    const std::wstring mVersion;
    const std::wstring mTarget;       // lib\app-<version>.nw
    const std::wstring mVersionFile;  // lib\app.version
    HWND mDialog = nullptr;
    HWND mMainWindow = nullptr;
    bool mCopying = false;       // a worker is running; presses are ignored meanwhile
    bool mFinished = false;      // the package is in place; the updater is about to end
    bool mClosePending = false;  // the user closed the window during a copy
    volatile LONG mCancel = 0;   // read by the worker's progress routine
};
