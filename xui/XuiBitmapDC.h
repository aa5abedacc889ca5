// Off-screen 32-bit bitmap (a bottom-up DIB section with per-pixel alpha) selected into a memory device context.
// A dialog paints every frame into one and hands it to UpdateLayeredWindow. UI thread; owns the DIB section and
// the memory device context, and selects the former bitmap back before freeing them.
#pragma once

#include <windows.h>

#include <cstdint>

class XuiBitmapDC {
public:
    XuiBitmapDC() = default;
    virtual ~XuiBitmapDC();
    XuiBitmapDC(const XuiBitmapDC&) = delete;
    XuiBitmapDC& operator=(const XuiBitmapDC&) = delete;

    // Prepares a cleared (transparent black) bitmap of that size; keeps and clears the current one when the size
    // is the same. Nothing for a size that is not positive; on failure the object stays empty (false).
    bool Create(int width, int height);
    void Release();

    HDC DC() const { return mDC; }
    HBITMAP Bitmap() const { return mBitmap; }
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    bool IsEmpty() const { return mDC == nullptr; }
    // Premultiplied ARGB of the pixel at (x, y) counted from the top-left corner; 0 outside. GDI must be flushed.
    uint32_t PixelAt(int x, int y) const;

private:
    HGDIOBJ mOldBitmap = nullptr;
    HBITMAP mBitmap = nullptr;
    HDC mDC = nullptr;
    uint32_t* mBits = nullptr;
    int mWidth = 0;
    int mHeight = 0;
};
