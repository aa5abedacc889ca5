#include "CArchiveExtractCallback.h"

#include <propidl.h>

#include "CArchiveOpenCallback.h"
#include "SystemOperations.h"

namespace {

// PROPVARIANT that clears itself.
struct Property {
    PROPVARIANT value;
    Property() { PropVariantInit(&value); }
    ~Property() { PropVariantClear(&value); }
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;
};

// Reads one item property that is either absent or of the one expected type; any other type is E_FAIL.
HRESULT ReadTyped(IInArchive* archive, UInt32 index, PROPID id, VARTYPE type, Property& property, bool* defined) {
    const HRESULT hr = archive->GetProperty(index, id, &property.value);
    if (FAILED(hr)) return hr;
    *defined = property.value.vt != VT_EMPTY;
    return !*defined || property.value.vt == type ? S_OK : E_FAIL;
}

// Archives packed on other systems carry POSIX mode bits above the Windows attributes (marked by 0x8000);
// only the Windows part may reach SetFileAttributesW.
constexpr UInt32 kUnixExtension = 0x8000;

}  // namespace

CArchiveExtractCallback::~CArchiveExtractCallback() {
    ReleaseOutput();
    if (mArchive != nullptr) mArchive->Release();
}

void CArchiveExtractCallback::Init(IInArchive* archive, const ryn::RynString& outputFolder,
                                   IArchiveExtractDelegate* delegate) {
    if (archive != nullptr) archive->AddRef();
    if (mArchive != nullptr) mArchive->Release();
    mArchive = archive;
    mOutputFolder = outputFolder;
    mDelegate = delegate;
    mErrorCount = 0;
    mTotalSize = 0;
    mCompletedSize = 0;
    mCurrentSize = 0;
}

void CArchiveExtractCallback::ReleaseOutput() {
    if (mOutput == nullptr) return;
    mOutput->Release();
    mOutput = nullptr;
}

STDMETHODIMP CArchiveExtractCallback::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IArchiveExtractCallback || iid == IID_IProgress) {
        *object = static_cast<IArchiveExtractCallback*>(this);
    } else if (iid == IID_ICryptoGetTextPassword) {
        *object = static_cast<ICryptoGetTextPassword*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CArchiveExtractCallback::AddRef() { return ++mRefs; }

STDMETHODIMP_(ULONG) CArchiveExtractCallback::Release() {
    if (--mRefs != 0) return mRefs;
    delete this;
    return 0;
}

STDMETHODIMP CArchiveExtractCallback::SetTotal(UInt64 total) throw() {
    mTotalSize = total;
    if (mDelegate != nullptr) mDelegate->SetTotal(total);
    return S_OK;
}

// The library's own running figure counts packed bytes; progress moves per finished item instead.
STDMETHODIMP CArchiveExtractCallback::SetCompleted(const UInt64*) throw() { return S_OK; }

STDMETHODIMP CArchiveExtractCallback::GetStream(UInt32 index, ISequentialOutStream** outStream,
                                                Int32 askExtractMode) throw() {
    *outStream = nullptr;
    ReleaseOutput();

    bool defined = false;
    Property path;
    HRESULT hr = ReadTyped(mArchive, index, kpidPath, VT_BSTR, path, &defined);
    if (hr != S_OK) return hr;
    mItemPath = defined ? path.value.bstrVal : L"[Content]";
    if (askExtractMode != NArchive::NExtract::NAskMode::kExtract) return S_OK;

    Property attributes;
    hr = ReadTyped(mArchive, index, kpidAttrib, VT_UI4, attributes, &mAttributesDefined);
    if (hr != S_OK) return hr;
    if (mAttributesDefined) mAttributes = attributes.value.ulVal;
    Property isFolder;
    hr = ReadTyped(mArchive, index, kpidIsDir, VT_BOOL, isFolder, &defined);
    if (hr != S_OK) return hr;
    mIsFolder = defined && isFolder.value.boolVal != VARIANT_FALSE;
    Property mtime;
    hr = ReadTyped(mArchive, index, kpidMTime, VT_FILETIME, mtime, &mMTimeDefined);
    if (hr != S_OK) return hr;
    if (mMTimeDefined) mMTime = mtime.value.filetime;
    {
        Property size;
        hr = mArchive->GetProperty(index, kpidSize, &size.value);
        if (FAILED(hr)) return hr;
        switch (size.value.vt) {
            case VT_UI8:
                mCurrentSize = size.value.uhVal.QuadPart;
                break;
            case VT_UI4:
                mCurrentSize = size.value.ulVal;
                break;
            default:
                mCurrentSize = 0;
                break;
        }
    }

    const wchar_t* itemText = mItemPath.c_str();
    if (const wchar_t* slash = wcsrchr(itemText, L'\\')) {
        CreateFolderChain(CombinePath(mOutputFolder, mItemPath.Left(static_cast<int>(slash - itemText)).c_str()));
    }
    mDiskPath = CombinePath(mOutputFolder, itemText);

    if (mIsFolder) {
        CreateFolderChain(mDiskPath);
    } else {
        if (GetFileAttributesW(mDiskPath.c_str()) != INVALID_FILE_ATTRIBUTES && !ForceDeleteFile(mDiskPath)) {
            return E_ABORT;
        }
        auto* stream = new COutFileStream;
        stream->AddRef();
        if (!stream->Open(mDiskPath.c_str())) {
            // Disk full is its own message; anything else here means the place cannot be written.
            const DWORD error = GetLastError();
            stream->Release();
            return error == ERROR_DISK_FULL ? HRESULT_FROM_WIN32(ERROR_DISK_FULL) : E_ABORT;
        }
        mOutput = stream;
        stream->AddRef();
        *outStream = stream;
    }
    mExtractedPaths.push_back(mItemPath);
    return S_OK;
}

STDMETHODIMP CArchiveExtractCallback::PrepareOperation(Int32) throw() { return S_OK; }

STDMETHODIMP CArchiveExtractCallback::SetOperationResult(Int32 opRes) throw() {
    if (opRes != NArchive::NExtract::NOperationResult::kOK) ++mErrorCount;
    if (mOutput != nullptr) {
        if (mMTimeDefined) SetFileTime(mOutput->File(), nullptr, nullptr, &mMTime);
        if (!mOutput->Close()) {
            const HRESULT hr = LastErrorResult();
            ReleaseOutput();
            return hr;
        }
        ReleaseOutput();
    }
    if (mAttributesDefined) {
        UInt32 attributes = mAttributes;
        if (attributes & kUnixExtension) attributes &= 0x7FFF;
        SetFileAttributesW(mDiskPath.c_str(), attributes);
    }
    mCompletedSize += mCurrentSize;
    if (mDelegate != nullptr) mDelegate->SetCompleted(mCompletedSize);
    return S_OK;
}

STDMETHODIMP CArchiveExtractCallback::CryptoGetTextPassword(BSTR* password) throw() {
    return CopyPassword(mPasswordIsDefined, mPassword, password);
}
