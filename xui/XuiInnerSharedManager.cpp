#include "XuiInnerSharedManager.h"

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "Logger.h"
#include "RynException.h"
#include "XuiScopedHandle.h"
#include "XuiSelectObject.h"
#include "XuiWindowDC.h"

using ryn::RynString;

namespace {

// The caches. Strong references: what is loaded once stays until ReleaseAll.
struct SharedState {
    std::map<std::wstring, XuiSharedImagePart> bitmaps;
    std::map<std::wstring, std::shared_ptr<GpFont>> fonts;
    std::map<uint32_t, std::shared_ptr<Gdiplus::Color>> colours;
    std::set<std::wstring> families;
};

SharedState& State() {
    static SharedState state;
    return state;
}

// Frees the decoded image first, then the stream that holds the PNG bytes, which GDI+ may read lazily while the
// image lives.
struct StreamBitmapDeleter {
    IStream* stream;
    void operator()(GpBitmap* bitmap) const {
        if (bitmap != nullptr) gdip::GdipDisposeImage(bitmap);
        if (stream != nullptr) stream->Release();
    }
};

struct BitmapDeleter {
    void operator()(GpBitmap* bitmap) const {
        if (bitmap != nullptr) gdip::GdipDisposeImage(bitmap);
    }
};

// Decodes PNG resource id of module. missingLogged: "Warn" line when the resource does not exist.
XuiSharedGpBitmap DecodePngResource(HMODULE module, int id, bool logMissing) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (resource == nullptr) {
        if (logMissing) {
            RYN_LOG(2, "XuiInnerSharedManager::FindSharedBitmap")
                .AppendFormat(L"Resource Id Not Found: %d With Type: %s", id, L"PNG");
        }
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (bytes == nullptr || size == 0) return nullptr;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (block == nullptr) return nullptr;
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(block);

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || stream == nullptr) {
        GlobalFree(block);  // the stream did not take it over
        return nullptr;
    }
    GpBitmap* bitmap = nullptr;
    if (gdip::GdipCreateBitmapFromStream(stream, &bitmap) != Gdiplus::Ok || bitmap == nullptr) {
        stream->Release();
        return nullptr;
    }
    return XuiSharedGpBitmap(bitmap, StreamBitmapDeleter{stream});
}

bool FitsInside(const RECT& rect, const RECT& bounds) {
    return rect.left < rect.right && rect.top < rect.bottom && rect.left >= bounds.left && rect.top >= bounds.top &&
           rect.right <= bounds.right && rect.bottom <= bounds.bottom;
}

}  // namespace

XuiSharedImagePart XuiInnerSharedManager::FindSharedBitmap(HMODULE module, int id) {
    RynString key;
    key.Format(L"BM-%d-%d-%s", static_cast<int>(reinterpret_cast<INT_PTR>(module)), id, L"PNG");
    auto& bitmaps = State().bitmaps;
    const auto found = bitmaps.find(key.c_str());
    if (found != bitmaps.end()) return found->second;

    XuiSharedGpBitmap bitmap = DecodePngResource(module, id, true);
    if (!bitmap) return nullptr;
    auto part = std::make_shared<XuiInnerSharedBitmap>();
    part->bitmap = bitmap;
    part->source = {0, 0, ImageWidth(bitmap.get()), ImageHeight(bitmap.get())};
    bitmaps[key.c_str()] = part;
    return part;
}

XuiSharedGpBitmap XuiInnerSharedManager::LoadPngBitmap(HMODULE module, int id) {
    return DecodePngResource(module, id, false);
}

int XuiInnerSharedManager::ImageWidth(GpBitmap* bitmap) {
    UINT width = 0;
    if (bitmap == nullptr || gdip::GdipGetImageWidth(bitmap, &width) != Gdiplus::Ok) return 0;
    return static_cast<int>(width);
}

int XuiInnerSharedManager::ImageHeight(GpBitmap* bitmap) {
    UINT height = 0;
    if (bitmap == nullptr || gdip::GdipGetImageHeight(bitmap, &height) != Gdiplus::Ok) return 0;
    return static_cast<int>(height);
}

XuiSharedImagePart XuiInnerSharedManager::MakeImagePart(const XuiSharedImagePart& part, const RECT& rect) {
    auto made = std::make_shared<XuiInnerSharedBitmap>();
    if (part) made->bitmap = part->bitmap;
    made->source = rect;
    return made;
}

std::vector<XuiSharedImagePart> XuiInnerSharedManager::SplitImageColumns(const XuiSharedImagePart& part, int n) {
    std::vector<XuiSharedImagePart> columns;
    if (!part || n <= 0) return columns;
    const int w = part->source.right - part->source.left;
    const int h = part->source.bottom - part->source.top;
    if (w <= 0 || h <= 0) return columns;
    for (int i = 0; i < n; ++i) columns.push_back(MakeImagePart(part, {i * w / n, 0, (i + 1) * w / n, h}));
    return columns;
}

std::vector<RECT> XuiInnerSharedManager::NineRects(int w, int h, int l, int t, int r, int b) {
    return {{0, 0, l, t},         {l, 0, l + 2, t}, {w - r, 0, w, t},     {0, t, l, t + 2},    {l, t, l + 2, t + 2},
            {w - r, t, w, t + 2}, {0, h - b, l, h}, {l, h - b, l + 2, h}, {w - r, h - b, w, h}};
}

std::vector<XuiSharedImagePart> XuiInnerSharedManager::SplitImageNine(const XuiSharedImagePart& part, int l, int t,
                                                                      int r, int b) {
    std::vector<XuiSharedImagePart> pieces;
    if (!part) return pieces;
    const RECT& source = part->source;
    const int w = source.right - source.left;
    const int h = source.bottom - source.top;
    for (RECT rect : NineRects(w, h, l, t, r, b)) {
        OffsetRect(&rect, source.left, source.top);
        // A piece outside the part would show pixels of a neighbouring image, or none at all: it stays empty.
        if (!FitsInside(rect, source)) rect = {0, 0, 0, 0};
        pieces.push_back(MakeImagePart(part, rect));
    }
    return pieces;
}

std::vector<XuiSharedGpBitmap> XuiInnerSharedManager::CutNineBitmaps(const XuiSharedGpBitmap& bitmap, int l, int t,
                                                                     int r, int b) {
    std::vector<XuiSharedGpBitmap> pieces;
    const int w = ImageWidth(bitmap.get());
    const int h = ImageHeight(bitmap.get());
    const RECT whole = {0, 0, w, h};
    for (const RECT& rect : NineRects(w, h, l, t, r, b)) {
        GpBitmap* piece = nullptr;
        if (bitmap && FitsInside(rect, whole)) {
            const GpStatus status =
                gdip::GdipCloneBitmapAreaI(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                           PixelFormat32bppARGB, bitmap.get(), &piece);
            if (status != Gdiplus::Ok) {
                RYN_LOG(2, "XuiInnerSharedManager::CutNineBitmaps")
                    .AppendFormat(L"GdipCloneBitmapAreaI Error: %d", static_cast<int>(status));
                piece = nullptr;
            }
        }
        pieces.push_back(XuiSharedGpBitmap(piece, BitmapDeleter()));
    }
    return pieces;
}

void XuiInnerSharedManager::DrawImagePart(GpGraphics* graphics, const RECT& destination,
                                          const XuiSharedImagePart& part) {
    if (!part) return;
    DrawBitmap(graphics, destination, part->bitmap.get(), part->source);
}

void XuiInnerSharedManager::DrawBitmap(GpGraphics* graphics, const RECT& destination, GpBitmap* bitmap,
                                       const RECT& source) {
    if (graphics == nullptr || bitmap == nullptr || IsRectEmpty(&source)) return;
    // Image parts are drawn 1:1 or stretched from one-colour strips (nine-piece edges): nearest-neighbour sampling
    // keeps a strip's ends free of its neighbours' colours, and is an order of magnitude cheaper than filtering.
    gdip::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeNearestNeighbor);
    gdip::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
    const GpStatus status = gdip::GdipDrawImageRectRectI(
        graphics, bitmap, destination.left, destination.top, destination.right - destination.left,
        destination.bottom - destination.top, source.left, source.top, source.right - source.left,
        source.bottom - source.top, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
    if (status != Gdiplus::Ok) {
        RYN_LOG(0, "XuiInnerSharedManager::DrawBitmap")
            .AppendFormat(L"GdipDrawImageRectRectI Error: %d", static_cast<int>(status));
    }
}

XuiInnerSharedFontStyle XuiInnerSharedManager::GetFontStyle(const XuiTextStyle& textStyle) {
    RynString face = textStyle.face.IsEmpty() ? DefaultFace() : textStyle.face;
    if (!IsFontInstalled(face)) face = DefaultFace();
    const int size = textStyle.SizeOrDefault();
    const int style = textStyle.StyleOrDefault();
    const uint32_t argb = textStyle.ColourOrDefault();

    SharedState& state = State();
    RynString key;
    key.Format(L"%s ( %d ) ( %d )", face.c_str(), size, style);
    std::shared_ptr<GpFont>& font = state.fonts[key.c_str()];
    if (!font) {
        // A family that does not exist still gives a cached (empty) font; GDI+ reports it where it is used.
        XuiScopedFontFamily family;
        GpStatus status = gdip::GdipCreateFontFamilyFromName(face.c_str(), nullptr, family.Receive());
        if (status != Gdiplus::Ok) {
            RYN_LOG(2, "XuiInnerSharedManager::GetFontStyle")
                .AppendFormat(L"GdipCreateFontFamilyFromName %s Error: %d", face.c_str(), static_cast<int>(status));
        }
        GpFont* created = nullptr;
        if (family) {
            status = gdip::GdipCreateFont(family.Get(), static_cast<Gdiplus::REAL>(size), style, Gdiplus::UnitPixel,
                                          &created);
            if (status != Gdiplus::Ok) {
                RYN_LOG(2, "XuiInnerSharedManager::GetFontStyle")
                    .AppendFormat(L"GdipCreateFont %s Error: %d", face.c_str(), static_cast<int>(status));
                created = nullptr;
            }
        }
        font.reset(created, [](GpFont* f) {
            if (f != nullptr) gdip::GdipDeleteFont(f);
        });
    }
    std::shared_ptr<Gdiplus::Color>& colour = state.colours[argb];
    if (!colour) colour = std::make_shared<Gdiplus::Color>(static_cast<Gdiplus::ARGB>(argb));

    XuiInnerSharedFontStyle result;
    result.font = font;
    result.colour = colour;
    result.face = face;
    result.size = size;
    return result;
}

void XuiInnerSharedManager::DrawStyledText(GpGraphics* graphics, const RECT& rect, const XuiInnerSharedFontStyle& style,
                                           GpStringFormat* format, const RynString& text) {
    if (graphics == nullptr || !style.font) return;
    XuiScopedBrush brush;
    const Gdiplus::ARGB argb = style.colour ? style.colour->GetValue() : XuiTextStyle::kDefaultColour;
    GpStatus status = gdip::GdipCreateSolidFill(argb, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.Receive()));
    if (status != Gdiplus::Ok) {
        RYN_LOG(2, "XuiInnerSharedManager::DrawStyledText")
            .AppendFormat(L"GdipCreateSolidFill Error: %d", static_cast<int>(status));
        return;
    }
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                                static_cast<Gdiplus::REAL>(rect.right - rect.left),
                                static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
    status =
        gdip::GdipDrawString(graphics, text.c_str(), text.Length(), style.font.get(), &layout, format, brush.Get());
    if (status != Gdiplus::Ok) {
        RYN_LOG(0, "XuiInnerSharedManager::DrawStyledText")
            .AppendFormat(L"GdipDrawString Error: %d", static_cast<int>(status));
    }
}

SIZE XuiInnerSharedManager::MeasureStyledText(const RynString& text, const XuiInnerSharedFontStyle& style) {
    SIZE size = {0, 0};
    if (!style.font) return size;
    XuiWindowDC screen(GetDesktopWindow());
    if (screen.Get() == nullptr) {
        RYN_LOG(2, "XuiInnerSharedManager::MeasureStyledText").Append(L"GetDC Error");
        return size;
    }
    XuiScopedGraphics graphics;
    GpStatus status = gdip::GdipCreateFromHDC(screen.Get(), graphics.Receive());
    LOGFONTW logFont = {};
    if (status == Gdiplus::Ok) status = gdip::GdipGetLogFontW(style.font.get(), graphics.Get(), &logFont);
    if (status != Gdiplus::Ok) {
        RYN_LOG(2, "XuiInnerSharedManager::MeasureStyledText")
            .AppendFormat(L"GdipGetLogFontW Error: %d", static_cast<int>(status));
        return size;
    }
    XuiScopedFont font(CreateFontIndirectW(&logFont));
    if (!font) {
        RYN_LOG(2, "XuiInnerSharedManager::MeasureStyledText")
            .AppendFormat(L"CreateFontIndirectW Error: %X", ryn::HResultFromLastError());
        return size;
    }
    RECT rect = {0, 0, 0, 0};
    {
        XuiSelectObject select(screen.Get(), font.Get());
        if (DrawTextW(screen.Get(), text.c_str(), text.Length(), &rect, DT_CALCRECT) == 0 && text.Length() > 0) {
            RYN_LOG(2, "XuiInnerSharedManager::MeasureStyledText")
                .AppendFormat(L"DrawTextW Error: %X", ryn::HResultFromLastError());
        }
    }
    size.cx = rect.right - rect.left;
    size.cy = rect.bottom - rect.top;
    // This face measures narrower through GDI than GDI+ draws it; the allowance keeps bubbles from clipping.
    if (style.face == L"微软雅黑") size.cx = size.cx + style.size / 3 + text.Length() / 2;
    return size;
}

bool XuiInnerSharedManager::IsFontInstalled(const RynString& family) {
    return State().families.count(family.c_str()) != 0;
}

std::vector<RynString> XuiInnerSharedManager::InstalledFamilies() {
    std::vector<RynString> names;
    for (const std::wstring& name : State().families) names.push_back(name.c_str());
    return names;
}

RynString XuiInnerSharedManager::DefaultFace() {
    static const bool modern = [] {
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof(version);
        if (!GetVersionExW(&version)) {
            RYN_LOG(2, "XuiInnerSharedManager::DefaultFace")
                .AppendFormat(L"GetVersionExW Error: %X", ryn::HResultFromLastError());
            return false;
        }
        return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion > 5;
    }();
    return modern ? RynString(L"微软雅黑") : RynString(L"宋体");
}

void XuiInnerSharedManager::EnumerateInstalledFonts() {
    Gdiplus::GpFontCollection* collection = nullptr;
    GpStatus status = gdip::GdipNewInstalledFontCollection(&collection);
    INT count = 0;
    if (status == Gdiplus::Ok) status = gdip::GdipGetFontCollectionFamilyCount(collection, &count);
    if (status != Gdiplus::Ok) {
        RYN_LOG(2, "XuiInnerSharedManager::EnumerateInstalledFonts")
            .AppendFormat(L"GdipGetFontCollectionFamilyCount Error: %d", static_cast<int>(status));
        return;
    }
    // The installed collection belongs to GDI+; the families it lists are clones this code must delete.
    std::vector<GpFontFamily*> families(count > 0 ? count : 0, nullptr);
    INT found = 0;
    if (count > 0) {
        status = gdip::GdipGetFontCollectionFamilyList(collection, count, families.data(), &found);
        if (status != Gdiplus::Ok) {
            RYN_LOG(2, "XuiInnerSharedManager::EnumerateInstalledFonts")
                .AppendFormat(L"GdipGetFontCollectionFamilyList Error: %d", static_cast<int>(status));
            found = 0;
        }
    }
    for (INT i = 0; i < found; ++i) {
        XuiScopedFontFamily family(families[i]);
        WCHAR name[LF_FACESIZE] = {};
        if (gdip::GdipGetFamilyName(family.Get(), name, 0) == Gdiplus::Ok) State().families.insert(name);
    }
}

XuiSharedGpBitmap XuiInnerSharedManager::BitmapFromHBITMAP(HBITMAP source) {
    BITMAP info = {};
    if (source == nullptr || GetObjectW(source, sizeof(info), &info) == 0) {
        RYN_LOG(2, "XuiInnerSharedManager::BitmapFromHBITMAP").Append(L"GetObjectW Error");
        return nullptr;
    }
    const int width = info.bmWidth;
    const int height = info.bmHeight;
    if (width <= 0 || height <= 0 || info.bmBitsPixel != 32) return nullptr;

    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = height;  // bottom-up
    header.bmiHeader.biPlanes = info.bmPlanes;
    header.bmiHeader.biBitCount = info.bmBitsPixel;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    {
        XuiScopedMemoryDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
        if (!display) {
            RYN_LOG(2, "XuiInnerSharedManager::BitmapFromHBITMAP")
                .AppendFormat(L"CreateDCW Error: %X", ryn::HResultFromLastError());
            return nullptr;
        }
        if (GetDIBits(display.Get(), source, 0, height, pixels.data(), &header, DIB_RGB_COLORS) != height) {
            RYN_LOG(2, "XuiInnerSharedManager::BitmapFromHBITMAP")
                .AppendFormat(L"GetDIBits Error: %X", ryn::HResultFromLastError());
            return nullptr;
        }
    }
    GpBitmap* created = nullptr;
    GpStatus status = gdip::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppPARGB, nullptr, &created);
    if (status != Gdiplus::Ok) {
        RYN_LOG(2, "XuiInnerSharedManager::BitmapFromHBITMAP")
            .AppendFormat(L"GdipCreateBitmapFromScan0 Error: %d", static_cast<int>(status));
        return nullptr;
    }
    XuiSharedGpBitmap result(created, BitmapDeleter());
    Gdiplus::BitmapData data = {};
    const Gdiplus::GpRect all(0, 0, width, height);
    status = gdip::GdipBitmapLockBits(created, &all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &data);
    if (status != Gdiplus::Ok) {
        RYN_LOG(2, "XuiInnerSharedManager::BitmapFromHBITMAP")
            .AppendFormat(L"GdipBitmapLockBits Error: %d", static_cast<int>(status));
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        std::memcpy(row, &pixels[static_cast<size_t>(height - 1 - y) * width], static_cast<size_t>(width) * 4);
    }
    gdip::GdipBitmapUnlockBits(created, &data);
    return result;
}

void XuiInnerSharedManager::ReleaseAll() {
    SharedState& state = State();
    state.bitmaps.clear();
    state.fonts.clear();
    state.colours.clear();
}
