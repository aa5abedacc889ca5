// The install job: stops the product's service and programs, settles the target folder, unpacks the payload,
// writes the uninstaller, registers the product and creates its shortcuts, reporting every step as a SetupNotify.
// Runs as a fiber job on the IO thread (moving to the UI thread for direct notifications); owned by the task
// machinery once posted; owns the loaded 7-Zip plug-in.
#pragma once

#include <windows.h>

#include "IArchiveExtractDelegate.h"
#include "RynString.h"
#include "RynTaskRunnable.h"
#include "SetupNotify.h"

class SetupRunnable : public ryn::RynTaskRunnable, public IArchiveExtractDelegate {
public:
    explicit SetupRunnable(SetupNotifyReceiver receiver);
    ~SetupRunnable() override;
    SetupRunnable(const SetupRunnable&) = delete;
    SetupRunnable& operator=(const SetupRunnable&) = delete;

    void OnRunning(ryn::RynTask& task) override;
    void SetTotal(uint64_t total) override;
    void SetCompleted(uint64_t completed) override;

    // Stops and deletes "Quorvia Platform Service"; failed is set when it could not be stopped or deleted.
    void DoStopQuorPlatform(bool* failed);
    // Deletes the runtime files of the registered earlier installation; returns its folder (empty when none).
    void ClearInstallFolder(ryn::RynString* previousFolder);

    int mBootLaunchApp = 0;
    ryn::RynString mInstallFolder;
    int mUseKnownFolders = 0;
    HMODULE mArchiveModule = nullptr;
    ryn::RynString mArchiveModulePath;
    UINT32 mTotalSize = 0;
    int mLastProgress = 0;

    // The module whose resources carry the payload: the program itself unless a test says otherwise.
    HMODULE mResourceModule = nullptr;

private:
    void Notify(const wchar_t* text, int progress);
    void Fail(const wchar_t* message);
    void Post(const SetupNotify& notify);
    bool LoadArchiveModule();
    bool CopyAndExtractPayload();
    void WriteUninstaller();

    SetupNotifyReceiver mReceiver;
    ryn::RynTask* mTask = nullptr;
};
