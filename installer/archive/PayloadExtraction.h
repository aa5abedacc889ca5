// The payload's road from the program's resources to the install folder: resource bytes written to files that no
// one else may change until they are used, and the archive unpacked item by item through the 7-Zip plug-in.
// Runs on the IO thread inside the install job (and in the extraction benchmark); stateless.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "IArchiveExtractDelegate.h"
#include "RynString.h"

struct ResourceBytes {
    const void* data = nullptr;
    DWORD size = 0;
    explicit operator bool() const { return data != nullptr; }
};

// The bytes of resource (type, id) of module; empty when it is missing.
ResourceBytes FindResourceBytes(HMODULE module, const wchar_t* type, int id);

// Holds a file open for reading while denying writers and deleters, so its content cannot change under us.
class LockedFile {
public:
    LockedFile() = default;
    ~LockedFile() { Release(); }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    void Release();
    HANDLE mHandle = INVALID_HANDLE_VALUE;
};

enum class WriteOutResult { kOk, kCreateFailed, kWriteFailed, kChanged };

// Writes bytes to path (replacing it), then reopens it denying write and delete sharing and checks that it holds
// exactly those bytes; on kOk, lock keeps it that way until released. error receives the failing call's HRESULT.
WriteOutResult WriteOutLocked(const ryn::RynString& path, const ResourceBytes& bytes, LockedFile& lock, HRESULT* error);

struct ExtractOutcome {
    enum Stage { kDone, kNoArchiveObject, kStreamNotOpened, kArchiveNotOpened, kExtractFailed };
    Stage stage = kDone;
    HRESULT result = S_OK;              // the failing call's result (kExtractFailed, kNoArchiveObject)
    uint64_t errorCount = 0;            // items whose data check failed
    bool libraryExists = false;         // whether the plug-in file was still there when extraction began
    std::vector<ryn::RynString> paths;  // items handed out for extraction, in order
};

// Opens archivePath with the plug-in and extracts every item into folder (created one level when missing),
// reporting progress to delegate. Writes each item's size and path to the debugger output.
ExtractOutcome ExtractArchive(HMODULE plugin, const ryn::RynString& pluginPath, const ryn::RynString& archivePath,
                              const ryn::RynString& folder, IArchiveExtractDelegate* delegate);
