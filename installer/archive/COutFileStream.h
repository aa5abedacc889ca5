// One extracted file as 7-Zip writes it. Used on the extracting thread; owns its file handle; reference counted
// (starts at 0, deletes itself when released to 0).
#pragma once

#include "SevenZip.h"

class COutFileStream : public IOutStream {
public:
    COutFileStream() = default;
    COutFileStream(const COutFileStream&) = delete;
    COutFileStream& operator=(const COutFileStream&) = delete;

    bool Open(const wchar_t* path);
    HANDLE File() const { return mFile; }
    // Closes the file; false (last error set) when the close fails.
    bool Close();
    UInt64 BytesWritten() const { return mWritten; }

    STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(Write)(const void* data, UInt32 size, UInt32* processedSize) throw() override;
    STDMETHOD(Seek)(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) throw() override;
    STDMETHOD(SetSize)(UInt64 newSize) throw() override;

private:
    virtual ~COutFileStream();

    ULONG mRefs = 0;
    HANDLE mFile = INVALID_HANDLE_VALUE;
    UInt64 mWritten = 0;
};
