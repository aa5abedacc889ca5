#include "CInFileStream.h"

namespace {
constexpr UInt32 kMaxChunk = 4 * 1024 * 1024;
}

CInFileStream::~CInFileStream() {
    if (mFile != INVALID_HANDLE_VALUE) CloseHandle(mFile);
}

bool CInFileStream::Open(const wchar_t* path) {
    if (mFile != INVALID_HANDLE_VALUE) CloseHandle(mFile);
    mFile = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return mFile != INVALID_HANDLE_VALUE;
}

STDMETHODIMP CInFileStream::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IInStream || iid == IID_ISequentialInStream) {
        *object = static_cast<IInStream*>(this);
    } else if (iid == IID_IStreamGetSize) {
        *object = static_cast<IStreamGetSize*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CInFileStream::AddRef() { return ++mRefs; }

STDMETHODIMP_(ULONG) CInFileStream::Release() {
    if (--mRefs != 0) return mRefs;
    delete this;
    return 0;
}

STDMETHODIMP CInFileStream::Read(void* data, UInt32 size, UInt32* processedSize) throw() {
    if (processedSize != nullptr) *processedSize = 0;
    DWORD read = 0;
    if (!ReadFile(mFile, data, size < kMaxChunk ? size : kMaxChunk, &read, nullptr)) return LastErrorResult();
    if (processedSize != nullptr) *processedSize = read;
    return S_OK;
}

STDMETHODIMP CInFileStream::Seek(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) throw() {
    return SeekFile(mFile, offset, seekOrigin, newPosition);
}

STDMETHODIMP CInFileStream::GetSize(UInt64* size) throw() {
    LARGE_INTEGER length = {};
    if (!GetFileSizeEx(mFile, &length)) return LastErrorResult();
    *size = static_cast<UInt64>(length.QuadPart);
    return S_OK;
}
