// Scoped owner of one handle or GDI+ object: the object is released exactly once, on every path, when the owner
// ends. The traits say what "empty" is and how to release. Used by one thread at a time (the UI thread here);
// owns the handle it holds.
#pragma once

#include <utility>

#include "XuiGdiplus.h"

template <class T, class Traits>
class XuiScopedHandle {
public:
    XuiScopedHandle() : mHandle(Traits::Empty()) {}
    explicit XuiScopedHandle(T handle) : mHandle(handle) {}
    ~XuiScopedHandle() { Reset(); }
    XuiScopedHandle(const XuiScopedHandle&) = delete;
    XuiScopedHandle& operator=(const XuiScopedHandle&) = delete;
    XuiScopedHandle(XuiScopedHandle&& other) noexcept : mHandle(other.Release()) {}
    XuiScopedHandle& operator=(XuiScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    T Get() const { return mHandle; }
    explicit operator bool() const { return mHandle != Traits::Empty(); }
    // Address for functions that hand out a new object; releases the current one first.
    T* Receive() {
        Reset();
        return &mHandle;
    }
    T Release() { return std::exchange(mHandle, Traits::Empty()); }
    void Reset(T handle = Traits::Empty()) {
        if (mHandle != Traits::Empty()) Traits::Close(mHandle);
        mHandle = handle;
    }

private:
    T mHandle;
};

struct XuiGdiObjectTraits {
    static HGDIOBJ Empty() { return nullptr; }
    static void Close(HGDIOBJ object) { DeleteObject(object); }
};
struct XuiFontTraits {
    static HFONT Empty() { return nullptr; }
    static void Close(HFONT font) { DeleteObject(font); }
};
struct XuiBitmapTraits {
    static HBITMAP Empty() { return nullptr; }
    static void Close(HBITMAP bitmap) { DeleteObject(bitmap); }
};
struct XuiMemoryDCTraits {
    static HDC Empty() { return nullptr; }
    static void Close(HDC dc) { DeleteDC(dc); }
};
struct XuiWindowTraits {
    static HWND Empty() { return nullptr; }
    static void Close(HWND window) { DestroyWindow(window); }
};
struct XuiGraphicsTraits {
    static GpGraphics* Empty() { return nullptr; }
    static void Close(GpGraphics* graphics) { gdip::GdipDeleteGraphics(graphics); }
};
struct XuiBrushTraits {
    static GpBrush* Empty() { return nullptr; }
    static void Close(GpBrush* brush) { gdip::GdipDeleteBrush(brush); }
};
struct XuiFontFamilyTraits {
    static GpFontFamily* Empty() { return nullptr; }
    static void Close(GpFontFamily* family) { gdip::GdipDeleteFontFamily(family); }
};
struct XuiComTraits {
    static IUnknown* Empty() { return nullptr; }
    static void Close(IUnknown* object) { object->Release(); }
};

using XuiScopedFont = XuiScopedHandle<HFONT, XuiFontTraits>;
using XuiScopedBitmap = XuiScopedHandle<HBITMAP, XuiBitmapTraits>;
using XuiScopedMemoryDC = XuiScopedHandle<HDC, XuiMemoryDCTraits>;
using XuiScopedWindow = XuiScopedHandle<HWND, XuiWindowTraits>;
using XuiScopedGraphics = XuiScopedHandle<GpGraphics*, XuiGraphicsTraits>;
using XuiScopedBrush = XuiScopedHandle<GpBrush*, XuiBrushTraits>;
using XuiScopedFontFamily = XuiScopedHandle<GpFontFamily*, XuiFontFamilyTraits>;
