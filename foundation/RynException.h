// The string layer's one exception: misuse and exhausted memory, carried as an HRESULT. Any thread.
#pragma once

#include <windows.h>

#include <exception>

namespace ryn {

class RynException : public std::exception {
public:
    explicit RynException(HRESULT hr) noexcept : mHr(hr) {}
    HRESULT Result() const noexcept { return mHr; }
    const char* what() const noexcept override { return "ryn::RynException"; }

private:
    HRESULT mHr;
};

// HRESULT_FROM_WIN32 of the thread's last error, E_FAIL when the failing call left no error code.
inline HRESULT HResultFromLastError() {
    const DWORD err = GetLastError();
    return err == 0 ? E_FAIL : HRESULT_FROM_WIN32(err);
}

}  // namespace ryn
