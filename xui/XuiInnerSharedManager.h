// Process-wide loader and cache of what the toolkit paints with: PNG resources decoded once and shared as image
// parts, GDI+ fonts per (face, size, style), colours per ARGB value, and the set of installed font families.
// UI thread only, after GDI+ was started; nothing here is locked. The caches hold strong references until
// ReleaseAll, which the toolkit's shutdown calls before GdiplusShutdown.
#pragma once

#include <windows.h>

#include <vector>

#include "RynString.h"
#include "XuiGdiplus.h"
#include "XuiInnerSharedBitmap.h"
#include "XuiInnerSharedFontStyle.h"
#include "XuiTextStyle.h"

class XuiInnerSharedManager {
public:
    XuiInnerSharedManager() = delete;

    // Part covering the whole image of PNG resource id in module, decoded once per process; empty (and a "Warn"
    // line each time) when the resource is missing, empty without a line when it cannot be decoded.
    static XuiSharedImagePart FindSharedBitmap(HMODULE module, int id);
    // The same decoding without the cache and without a log line.
    static XuiSharedGpBitmap LoadPngBitmap(HMODULE module, int id);

    static XuiSharedImagePart MakeImagePart(const XuiSharedImagePart& part, const RECT& rect);
    // n columns of equal integer width measured from the image origin; none when width, height or n is not
    // positive.
    static std::vector<XuiSharedImagePart> SplitImageColumns(const XuiSharedImagePart& part, int n);
    // Nine parts sharing the bitmap: corners, two-pixel middle strips, in rows from the top-left. A piece that
    // does not fit inside the part (insets that leave no room) gets an empty rectangle and draws nothing.
    static std::vector<XuiSharedImagePart> SplitImageNine(const XuiSharedImagePart& part, int left, int top, int right,
                                                          int bottom);
    // The nine rectangles of SplitImageNine for an image of width w and height h, unshifted and unchecked.
    static std::vector<RECT> NineRects(int w, int h, int left, int top, int right, int bottom);
    // Nine independent 32-bit ARGB copies of the same rectangles of the whole bitmap; a rectangle that does not
    // fit gives an empty piece.
    static std::vector<XuiSharedGpBitmap> CutNineBitmaps(const XuiSharedGpBitmap& bitmap, int left, int top, int right,
                                                         int bottom);
    // Draws the part stretched into destination; nothing for an empty part.
    static void DrawImagePart(GpGraphics* graphics, const RECT& destination, const XuiSharedImagePart& part);
    // Draws a whole bitmap, or the source rectangle of it, stretched into destination; nothing without bitmap.
    static void DrawBitmap(GpGraphics* graphics, const RECT& destination, GpBitmap* bitmap, const RECT& source);

    static XuiInnerSharedFontStyle GetFontStyle(const XuiTextStyle& style);
    static void DrawStyledText(GpGraphics* graphics, const RECT& rect, const XuiInnerSharedFontStyle& style,
                               GpStringFormat* format, const ryn::RynString& text);
    static SIZE MeasureStyledText(const ryn::RynString& text, const XuiInnerSharedFontStyle& style);

    static bool IsFontInstalled(const ryn::RynString& family);
    // The installed family names, sorted.
    static std::vector<ryn::RynString> InstalledFamilies();
    static ryn::RynString DefaultFace();
    static void EnumerateInstalledFonts();

    // Copies a 32-bit premultiplied-alpha HBITMAP into a new GDI+ bitmap with the top row first; empty on failure.
    static XuiSharedGpBitmap BitmapFromHBITMAP(HBITMAP bitmap);
    static int ImageWidth(GpBitmap* bitmap);
    static int ImageHeight(GpBitmap* bitmap);

    // Empties the bitmap, font and colour caches.
    static void ReleaseAll();
};
