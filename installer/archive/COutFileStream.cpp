#include "COutFileStream.h"

namespace {
constexpr UInt32 kMaxChunk = 4 * 1024 * 1024;
}

COutFileStream::~COutFileStream() { Close(); }

bool COutFileStream::Open(const wchar_t* path) {
    Close();
    mFile = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return mFile != INVALID_HANDLE_VALUE;
}

bool COutFileStream::Close() {
    if (mFile == INVALID_HANDLE_VALUE) return true;
    const bool closed = CloseHandle(mFile) != 0;
    mFile = INVALID_HANDLE_VALUE;
    return closed;
}

STDMETHODIMP COutFileStream::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IOutStream) return E_NOINTERFACE;
    *object = static_cast<IOutStream*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COutFileStream::AddRef() { return ++mRefs; }

STDMETHODIMP_(ULONG) COutFileStream::Release() {
    if (--mRefs != 0) return mRefs;
    delete this;
    return 0;
}

STDMETHODIMP COutFileStream::Write(const void* data, UInt32 size, UInt32* processedSize) throw() {
    if (processedSize != nullptr) *processedSize = 0;
    DWORD written = 0;
    if (!WriteFile(mFile, data, size < kMaxChunk ? size : kMaxChunk, &written, nullptr)) return LastErrorResult();
    mWritten += written;
    if (processedSize != nullptr) *processedSize = written;
    return S_OK;
}

STDMETHODIMP COutFileStream::Seek(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) throw() {
    return SeekFile(mFile, offset, seekOrigin, newPosition);
}

STDMETHODIMP COutFileStream::SetSize(UInt64 newSize) throw() {
    LARGE_INTEGER zero = {};
    LARGE_INTEGER current = {};
    if (!SetFilePointerEx(mFile, zero, &current, FILE_CURRENT)) return LastErrorResult();
    LARGE_INTEGER target;
    target.QuadPart = static_cast<LONGLONG>(newSize);
    if (!SetFilePointerEx(mFile, target, nullptr, FILE_BEGIN) || !SetEndOfFile(mFile)) return LastErrorResult();
    if (!SetFilePointerEx(mFile, current, nullptr, FILE_BEGIN)) return LastErrorResult();
    return S_OK;
}
