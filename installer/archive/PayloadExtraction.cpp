#include "PayloadExtraction.h"

#include <propidl.h>
#include <shlwapi.h>

#include <cstring>
#include <memory>

#include "CArchiveExtractCallback.h"
#include "ComPtr.h"
#include "CArchiveOpenCallback.h"
#include "CInFileStream.h"
#include "SevenZip.h"

namespace {

// Item property as debugger text: sizes as decimal numbers, paths as they are.
void DebugProperty(IInArchive* archive, UInt32 index, PROPID id) {
    PROPVARIANT value;
    PropVariantInit(&value);
    wchar_t text[64] = L"";
    const wchar_t* out = text;
    if (SUCCEEDED(archive->GetProperty(index, id, &value))) {
        if (value.vt == VT_BSTR && value.bstrVal != nullptr) {
            out = value.bstrVal;
        } else if (value.vt == VT_UI8) {
            _snwprintf(text, 64, L"%I64u", value.uhVal.QuadPart);
        } else if (value.vt == VT_UI4) {
            _snwprintf(text, 64, L"%u", value.ulVal);
        }
    }
    OutputDebugStringW(out);
    PropVariantClear(&value);
}

}  // namespace

ResourceBytes FindResourceBytes(HMODULE module, const wchar_t* type, int id) {
    ResourceBytes bytes;
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (resource == nullptr) return bytes;
    HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == nullptr) return bytes;
    bytes.data = LockResource(loaded);
    bytes.size = SizeofResource(module, resource);
    return bytes;
}

void LockedFile::Release() {
    if (mHandle != INVALID_HANDLE_VALUE) CloseHandle(mHandle);
    mHandle = INVALID_HANDLE_VALUE;
}

WriteOutResult WriteOutLocked(const ryn::RynString& path, const ResourceBytes& bytes, LockedFile& lock,
                              HRESULT* error) {
    lock.Release();
    *error = S_OK;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = LastErrorResult();
        return WriteOutResult::kCreateFailed;
    }
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, bytes.data, bytes.size, &written, nullptr);
    if (!wrote || written != bytes.size) {
        *error = wrote ? E_FAIL : LastErrorResult();
        CloseHandle(file);
        return WriteOutResult::kWriteFailed;
    }
    CloseHandle(file);

    // From here on nobody may write or delete the file; what it holds now is what will be loaded or unpacked.
    lock.mHandle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock.mHandle == INVALID_HANDLE_VALUE) {
        *error = LastErrorResult();
        return WriteOutResult::kChanged;
    }
    const auto* expected = static_cast<const char*>(bytes.data);
    std::unique_ptr<char[]> buffer(new char[1 << 20]);
    DWORD offset = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(lock.mHandle, buffer.get(), 1 << 20, &got, nullptr)) {
            *error = LastErrorResult();
            lock.Release();
            return WriteOutResult::kChanged;
        }
        if (got == 0) break;
        if (offset + got > bytes.size || memcmp(buffer.get(), expected + offset, got) != 0) {
            *error = E_FAIL;
            lock.Release();
            return WriteOutResult::kChanged;
        }
        offset += got;
    }
    if (offset != bytes.size) {
        *error = E_FAIL;
        lock.Release();
        return WriteOutResult::kChanged;
    }
    return WriteOutResult::kOk;
}

ExtractOutcome ExtractArchive(HMODULE plugin, const ryn::RynString& pluginPath, const ryn::RynString& archivePath,
                              const ryn::RynString& folder, IArchiveExtractDelegate* delegate) {
    ExtractOutcome outcome;
    const auto createObject = reinterpret_cast<CreateObjectFn>(GetProcAddress(plugin, "CreateObject"));
    IInArchive* rawArchive = nullptr;
    if (createObject == nullptr) {
        outcome.stage = ExtractOutcome::kNoArchiveObject;
        outcome.result = LastErrorResult();
        return outcome;
    }
    outcome.result = createObject(&kSevenZipFormatClassId, &IID_IInArchive, reinterpret_cast<void**>(&rawArchive));
    if (FAILED(outcome.result) || rawArchive == nullptr) {
        outcome.stage = ExtractOutcome::kNoArchiveObject;
        if (SUCCEEDED(outcome.result)) outcome.result = E_NOINTERFACE;
        return outcome;
    }
    ComPtr<IInArchive> archive(rawArchive);  // CreateObject hands out one reference

    ComPtr<CInFileStream> stream = Adopt(new CInFileStream);
    if (!stream->Open(archivePath.c_str())) {
        outcome.stage = ExtractOutcome::kStreamNotOpened;
        outcome.result = LastErrorResult();
        return outcome;
    }
    ComPtr<CArchiveOpenCallback> openCallback = Adopt(new CArchiveOpenCallback);
    outcome.result = archive->Open(stream.get(), nullptr, openCallback.get());
    if (outcome.result != S_OK) {
        outcome.stage = ExtractOutcome::kArchiveNotOpened;
        return outcome;
    }

    UInt32 items = 0;
    archive->GetNumberOfItems(&items);
    for (UInt32 i = 0; i < items; ++i) {
        DebugProperty(archive.get(), i, kpidSize);
        OutputDebugStringW(L"\t");
        DebugProperty(archive.get(), i, kpidPath);
        OutputDebugStringW(L"\r\n");
    }

    ComPtr<CArchiveExtractCallback> callback = Adopt(new CArchiveExtractCallback);
    callback->Init(archive.get(), folder, delegate);
    callback->mPasswordIsDefined = false;
    if (!PathFileExistsW(folder.c_str())) CreateDirectoryW(folder.c_str(), nullptr);
    outcome.libraryExists = PathFileExistsW(pluginPath.c_str()) != FALSE;

    outcome.result = archive->Extract(nullptr, static_cast<UInt32>(-1), 0, callback.get());
    outcome.errorCount = callback->ErrorCount();
    outcome.paths = callback->ExtractedPaths();
    archive->Close();
    if (outcome.result != S_OK) outcome.stage = ExtractOutcome::kExtractFailed;
    return outcome;
}
