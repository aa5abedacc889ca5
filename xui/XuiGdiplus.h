// The GDI+ flat interface as the toolkit uses it: the headers in the order they need, and short names for the
// flat functions. Any thread that started GDI+ (the toolkit calls it on the UI thread only).
#pragma once

#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

namespace gdip = Gdiplus::DllExports;
using Gdiplus::GpBitmap;
using Gdiplus::GpBrush;
using Gdiplus::GpFont;
using Gdiplus::GpFontFamily;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;
using Gdiplus::GpStatus;
using Gdiplus::GpStringFormat;
