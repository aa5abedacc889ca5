// Receives the archive's items one by one: makes folders, replaces existing files, hands out an output stream per
// file, restores times and attributes, counts data errors and reports progress per finished item to the delegate.
// Used on the extracting thread; holds a reference to the archive and to the current output stream; reference
// counted (starts at 0, deletes itself when released to 0).
#pragma once

#include <vector>

#include "COutFileStream.h"
#include "IArchiveExtractDelegate.h"
#include "RynString.h"
#include "SevenZip.h"

class CArchiveExtractCallback : public IArchiveExtractCallback, public ICryptoGetTextPassword {
public:
    CArchiveExtractCallback() = default;
    CArchiveExtractCallback(const CArchiveExtractCallback&) = delete;
    CArchiveExtractCallback& operator=(const CArchiveExtractCallback&) = delete;

    void Init(IInArchive* archive, const ryn::RynString& outputFolder, IArchiveExtractDelegate* delegate);

    STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(SetTotal)(UInt64 total) throw() override;
    STDMETHOD(SetCompleted)(const UInt64* completeValue) throw() override;
    STDMETHOD(GetStream)(UInt32 index, ISequentialOutStream** outStream, Int32 askExtractMode) throw() override;
    STDMETHOD(PrepareOperation)(Int32 askExtractMode) throw() override;
    STDMETHOD(SetOperationResult)(Int32 opRes) throw() override;
    STDMETHOD(CryptoGetTextPassword)(BSTR* password) throw() override;

    UInt64 ErrorCount() const { return mErrorCount; }
    const std::vector<ryn::RynString>& ExtractedPaths() const { return mExtractedPaths; }

    bool mPasswordIsDefined = false;
    ryn::RynString mPassword;

private:
    virtual ~CArchiveExtractCallback();
    void ReleaseOutput();

    ULONG mRefs = 0;
    IInArchive* mArchive = nullptr;
    ryn::RynString mOutputFolder;
    ryn::RynString mItemPath;
    ryn::RynString mDiskPath;
    FILETIME mMTime = {};
    bool mMTimeDefined = false;
    UInt32 mAttributes = 0;
    bool mAttributesDefined = false;
    bool mIsFolder = false;
    COutFileStream* mOutput = nullptr;
    UInt64 mErrorCount = 0;
    UInt64 mTotalSize = 0;
    UInt64 mCompletedSize = 0;
    UInt64 mCurrentSize = 0;
    IArchiveExtractDelegate* mDelegate = nullptr;
    std::vector<ryn::RynString> mExtractedPaths;
};
