#include "CopyJob.h"

#include <commctrl.h>

#include <memory>

#include "Failure.h"
#include "UniqueHandle.h"

bool CopyJob::Start(std::unique_ptr<CopyJob> job) {
    UniqueHandle thread(CreateThread(nullptr, 0, &CopyJob::ThreadMain, job.get(), 0, nullptr));
    if (!thread.Valid()) {
        ReportFailure(L"CreateThread");
        return false;
    }
    // The worker owns the job now; nobody waits for it, so its handle is not kept.
    job.release();
    return true;
}

DWORD WINAPI CopyJob::ThreadMain(void* job) {
    std::unique_ptr<CopyJob> owned(static_cast<CopyJob*>(job));
    owned->Run();
    return 0;
}

void CopyJob::SetBar(int position) const {
    // A sent message: the UI thread never waits for the worker, so this cannot dead-lock.
    SendMessageW(progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

DWORD CALLBACK CopyJob::OnProgress(LARGE_INTEGER total, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                                   DWORD, HANDLE, HANDLE, void* data) {
    const CopyJob* job = static_cast<const CopyJob*>(data);
    // An empty package is complete at once; a zero total must not be divided by.
    const int position = total.QuadPart > 0 ? static_cast<int>(transferred.QuadPart * 100 / total.QuadPart) : 100;
    job->SetBar(position);
    return *job->cancel ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

void CopyJob::Run() {
    // The version is recorded only once CopyFileExW has returned success, never from the progress routine: the last
    // progress call comes before the copy is finished (the file is still being closed), and a copy that fails after
    // it would leave a version file naming a package that is not there. The routine only moves the bar; the bar is
    // set to 100 here as well, since some systems call the routine rarely or not at all.
    // Cancelling goes through the progress routine's answer, which CopyFileExW turns into a removed target.
    if (!CopyFileExW(source.c_str(), target.c_str(), &CopyJob::OnProgress, this, nullptr, COPY_FILE_FAIL_IF_EXISTS)) {
        DWORD error = GetLastError();
        ReportFailure(L"CopyFileExW");
        if (*cancel) error = ERROR_CANCELLED;
        if (!PostMessageW(dialog, kCopyFailed, error, 0)) ReportFailure(L"PostMessageW(kCopyFailed)");
        return;
    }
    if (*cancel) {
        // Closed while the last bytes went over: take the package away again, so that a half-done update never
        // looks like the latest version to the next run.
        if (!DeleteFileW(target.c_str())) ReportFailure(L"DeleteFileW(target)");
        if (!PostMessageW(dialog, kCopyFailed, ERROR_CANCELLED, 0)) ReportFailure(L"PostMessageW(kCopyFailed)");
        return;
    }
    SetBar(100);
    // A version file that cannot be written is skipped; the package is in place and the question is still asked.
    WriteVersionFile();
    if (!PostMessageW(dialog, kCopyDone, 0, 0)) ReportFailure(L"PostMessageW(kCopyDone)");
}

bool CopyJob::WriteVersionFile() const {
    // The launcher reads the file as ANSI bytes and takes them exactly as they are: no terminator, no line break.
    std::string bytes;
    if (!version.empty()) {
        const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, version.data(), static_cast<int>(version.size()),
                                             nullptr, 0, nullptr, nullptr);
        if (size <= 0) {
            ReportFailure(L"WideCharToMultiByte(version)");
            return false;
        }
        bytes.resize(static_cast<size_t>(size));
        if (WideCharToMultiByte(CP_THREAD_ACP, 0, version.data(), static_cast<int>(version.size()), &bytes[0], size,
                                nullptr, nullptr) != size) {
            ReportFailure(L"WideCharToMultiByte(version)");
            return false;
        }
    }
    UniqueHandle file(
        CreateFileW(versionFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        ReportFailure(L"CreateFileW(app.version)");
        return false;
    }
    DWORD written = 0;
    if (!bytes.empty() && (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                           written != bytes.size())) {
        ReportFailure(L"WriteFile(app.version)");
        return false;
    }
    return true;
}
