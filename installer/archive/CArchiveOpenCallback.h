// Callback for opening the archive: progress is ignored; a password is given only when one is defined.
// Used on the extracting thread; reference counted (starts at 0, deletes itself when released to 0).
#pragma once

#include "RynString.h"
#include "SevenZip.h"

class CArchiveOpenCallback : public IArchiveOpenCallback, public ICryptoGetTextPassword {
public:
    CArchiveOpenCallback() = default;
    CArchiveOpenCallback(const CArchiveOpenCallback&) = delete;
    CArchiveOpenCallback& operator=(const CArchiveOpenCallback&) = delete;

    STDMETHOD(QueryInterface)(REFIID iid, void** object) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(SetTotal)(const UInt64* files, const UInt64* bytes) throw() override;
    STDMETHOD(SetCompleted)(const UInt64* files, const UInt64* bytes) throw() override;
    STDMETHOD(CryptoGetTextPassword)(BSTR* password) throw() override;

    bool mPasswordIsDefined = false;
    ryn::RynString mPassword;

private:
    virtual ~CArchiveOpenCallback() = default;
    ULONG mRefs = 0;
};

// A new BSTR copy of password, or E_ABORT when none is defined (shared with the extract callback).
HRESULT CopyPassword(bool defined, const ryn::RynString& password, BSTR* out);
