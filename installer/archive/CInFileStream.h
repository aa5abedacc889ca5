// The archive file as 7-Zip reads it. Used on the extracting thread; owns its file handle; reference counted
// (starts at 0, deletes itself when released to 0).
#pragma once

#include "SevenZip.h"

class CInFileStream : public IInStream, public IStreamGetSize {
public:
    CInFileStream() = default;
    CInFileStream(const CInFileStream&) = delete;
    CInFileStream& operator=(const CInFileStream&) = delete;

    bool Open(const wchar_t* path);

    STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(Read)(void* data, UInt32 size, UInt32* processedSize) throw() override;
    STDMETHOD(Seek)(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) throw() override;
    STDMETHOD(GetSize)(UInt64* size) throw() override;

private:
    virtual ~CInFileStream();

    ULONG mRefs = 0;
    HANDLE mFile = INVALID_HANDLE_VALUE;
};
