#include "CArchiveOpenCallback.h"

#include <oleauto.h>

HRESULT CopyPassword(bool defined, const ryn::RynString& password, BSTR* out) {
    if (!defined) return E_ABORT;
    *out = SysAllocString(password.c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CArchiveOpenCallback::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IArchiveOpenCallback) {
        *object = static_cast<IArchiveOpenCallback*>(this);
    } else if (iid == IID_ICryptoGetTextPassword) {
        *object = static_cast<ICryptoGetTextPassword*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CArchiveOpenCallback::AddRef() { return ++mRefs; }

STDMETHODIMP_(ULONG) CArchiveOpenCallback::Release() {
    if (--mRefs != 0) return mRefs;
    delete this;
    return 0;
}

STDMETHODIMP CArchiveOpenCallback::SetTotal(const UInt64*, const UInt64*) throw() { return S_OK; }

STDMETHODIMP CArchiveOpenCallback::SetCompleted(const UInt64*, const UInt64*) throw() { return S_OK; }

STDMETHODIMP CArchiveOpenCallback::CryptoGetTextPassword(BSTR* password) throw() {
    return CopyPassword(mPasswordIsDefined, mPassword, password);
}
