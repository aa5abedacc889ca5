// CopyJob: copies the new package into place on a worker thread and records its version.
//
// The UI thread fills a job and hands it to Start, which gives it to a new thread; from then on the worker owns the
// job and deletes it when it ends. The worker touches the user interface only by sending PBM_SETPOS to the progress
// bar and by posting its one result message to the dialog, which is its last act: after the post the worker uses
// nothing of the dialog's, so the UI thread may end the process as soon as the result arrives.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CopyJob {
public:
    // Result messages posted to the dialog. kCopyDone: the package is in place and the version file written.
    // kCopyFailed: nothing was recorded; wParam carries the system error code (ERROR_CANCELLED after a cancel).
    static constexpr UINT kCopyDone = WM_USER + 1;
    static constexpr UINT kCopyFailed = WM_USER + 2;

    std::wstring source;       // the new package given on the command line
    std::wstring target;       // lib\app-<version>.nw in the program's folder
    std::wstring versionFile;  // lib\app.version in the program's folder
    std::wstring version;      // the version text, written to versionFile in the thread's ANSI code page
    HWND dialog = nullptr;     // receives the result message
    HWND progressBar = nullptr;
    // Set by the UI thread to stop the copy; read by the worker. Lives in the dialog, which outlives the worker.
    volatile LONG* cancel = nullptr;

    // UI thread. Starts the worker, which takes the job; false (the job is gone) when no thread could be made.
    static bool Start(std::unique_ptr<CopyJob> job);

private:
    static DWORD WINAPI ThreadMain(void* job);
    static DWORD CALLBACK OnProgress(LARGE_INTEGER total, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER,
                                     DWORD, DWORD, HANDLE, HANDLE, void* job);
    void Run();
    bool WriteVersionFile() const;
    void SetBar(int position) const;
};
