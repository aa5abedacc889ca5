// A device context borrowed from a window with GetDC and given back with ReleaseDC when the owner ends.
// UI thread; owns the borrowed context, not the window.
#pragma once

#include <windows.h>

#include <utility>

class XuiWindowDC {
public:
    explicit XuiWindowDC(HWND window) : mWindow(window), mDC(GetDC(window)) {}
    ~XuiWindowDC() {
        if (mDC != nullptr) ReleaseDC(mWindow, mDC);
    }
    XuiWindowDC(const XuiWindowDC&) = delete;
    XuiWindowDC& operator=(const XuiWindowDC&) = delete;

    HDC Get() const { return mDC; }

private:
    HWND mWindow;
    HDC mDC;
};
