#include "XuiBitmapDC.h"

#include <cstring>

#include "Logger.h"
#include "RynException.h"

XuiBitmapDC::~XuiBitmapDC() { Release(); }

bool XuiBitmapDC::Create(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    if (mDC != nullptr && width == mWidth && height == mHeight) {
        GdiFlush();  // GDI may still be writing into the bits
        std::memset(mBits, 0, static_cast<size_t>(width) * height * 4);
        return true;
    }
    Release();

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    mDC = CreateCompatibleDC(nullptr);
    if (mDC == nullptr) {
        RYN_LOG(3, "XuiBitmapDC::Create").AppendFormat(L"CreateCompatibleDC Error: %X", ryn::HResultFromLastError());
        return false;
    }
    void* bits = nullptr;
    mBitmap = CreateDIBSection(mDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (mBitmap == nullptr || bits == nullptr) {
        RYN_LOG(3, "XuiBitmapDC::Create")
            .AppendFormat(L"CreateDIBSection %d x %d Error: %X", width, height, ryn::HResultFromLastError());
        Release();
        return false;
    }
    mOldBitmap = SelectObject(mDC, mBitmap);
    if (mOldBitmap == nullptr) {
        RYN_LOG(3, "XuiBitmapDC::Create").AppendFormat(L"SelectObject Error: %X", ryn::HResultFromLastError());
        Release();
        return false;
    }
    mBits = static_cast<uint32_t*>(bits);
    mWidth = width;
    mHeight = height;
    return true;
}

void XuiBitmapDC::Release() {
    if (mDC != nullptr && mOldBitmap != nullptr) SelectObject(mDC, mOldBitmap);
    if (mBitmap != nullptr) DeleteObject(mBitmap);
    if (mDC != nullptr) DeleteDC(mDC);
    mOldBitmap = nullptr;
    mBitmap = nullptr;
    mDC = nullptr;
    mBits = nullptr;
    mWidth = 0;
    mHeight = 0;
}

uint32_t XuiBitmapDC::PixelAt(int x, int y) const {
    if (mBits == nullptr || x < 0 || y < 0 || x >= mWidth || y >= mHeight) return 0;
    return mBits[static_cast<size_t>(mHeight - 1 - y) * mWidth + x];
}
