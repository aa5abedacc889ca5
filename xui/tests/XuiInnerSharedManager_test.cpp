// Shared images, image parts, fonts and the off-screen bitmap.
#include <gtest/gtest.h>

#include "Logger.h"
#include "TestSupport.h"
#include "XuiBitmapDC.h"
#include "XuiInnerSharedManager.h"
#include "XuiScopedHandle.h"
#include "XuiTestImages.h"
#include "XuiTestSupport.h"

using XuiInnerSharedManagerTest = xuitest::ToolkitTest;

namespace {

HMODULE Self() { return GetModuleHandleW(nullptr); }

// An installed family other than the default face (which the system may list under another name) that GDI+ can
// make a regular font of.
ryn::RynString InstalledFace() {
    for (const ryn::RynString& name : XuiInnerSharedManager::InstalledFamilies()) {
        if (name.IsEmpty() || name == XuiInnerSharedManager::DefaultFace()) continue;
        XuiTextStyle style;
        style.face = name;
        const XuiInnerSharedFontStyle font = XuiInnerSharedManager::GetFontStyle(style);
        if (font.font && font.face == name) return name;
    }
    return ryn::RynString();
}

XuiSharedImagePart PartOfSize(int w, int h) { return XuiInnerSharedManager::MakeImagePart(nullptr, {0, 0, w, h}); }

std::vector<RECT> RectsOf(const std::vector<XuiSharedImagePart>& parts) {
    std::vector<RECT> rects;
    for (const auto& part : parts) rects.push_back(part->source);
    return rects;
}

// Paints part into a w x h bitmap and returns it.
void PaintPart(XuiBitmapDC& bitmap, const RECT& destination, const XuiSharedImagePart& part) {
    XuiScopedGraphics graphics;
    ASSERT_EQ(gdip::GdipCreateFromHDC(bitmap.DC(), graphics.Receive()), Gdiplus::Ok);
    XuiInnerSharedManager::DrawImagePart(graphics.Get(), destination, part);
    gdip::GdipFlush(graphics.Get(), Gdiplus::FlushIntentionSync);
}

}  // namespace

struct ColumnsCase {
    int width, height, n;
    std::vector<RECT> expected;
};

TEST(XuiInnerSharedManager, SplitImageColumnsCutsEqualIntegerColumns) {
    const ColumnsCase cases[] = {
        {500,
         363,
         5,
         {{0, 0, 100, 363}, {100, 0, 200, 363}, {200, 0, 300, 363}, {300, 0, 400, 363}, {400, 0, 500, 363}}},
        // 166-pixel columns; the last 2 pixels are not covered
        {500, 363, 3, {{0, 0, 166, 363}, {166, 0, 333, 363}, {333, 0, 500, 363}}},
        {10, 4, 1, {{0, 0, 10, 4}}},
        {0, 4, 2, {}},
        {10, 0, 2, {}},
        {10, 4, 0, {}},
        {10, 4, -1, {}},
    };
    for (const ColumnsCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " / " << c.n);
        EXPECT_EQ(RectsOf(XuiInnerSharedManager::SplitImageColumns(PartOfSize(c.width, c.height), c.n)), c.expected);
    }
    // Integer division rounds each column down: 500 / 3 -> widths 166, 167, 167.
    const auto thirds = XuiInnerSharedManager::SplitImageColumns(PartOfSize(500, 363), 3);
    EXPECT_EQ(thirds[0]->source.right - thirds[0]->source.left, 166);
}

struct NineCase {
    RECT part;
    int l, t, r, b;
    std::vector<RECT> expected;
};

TEST(XuiInnerSharedManager, SplitImageNineGivesCornersAndTwoPixelStrips) {
    const RECT E = {0, 0, 0, 0};
    const NineCase cases[] = {
        {{0, 0, 20, 10},
         3,
         2,
         4,
         5,
         {{0, 0, 3, 2},
          {3, 0, 5, 2},
          {16, 0, 20, 2},
          {0, 2, 3, 4},
          {3, 2, 5, 4},
          {16, 2, 20, 4},
          {0, 5, 3, 10},
          {3, 5, 5, 10},
          {16, 5, 20, 10}}},
        // a part inside a larger image: every rectangle shifted by the part's left and top
        {{100, 50, 120, 60},
         3,
         2,
         4,
         5,
         {{100, 50, 103, 52},
          {103, 50, 105, 52},
          {116, 50, 120, 52},
          {100, 52, 103, 54},
          {103, 52, 105, 54},
          {116, 52, 120, 54},
          {100, 55, 103, 60},
          {103, 55, 105, 60},
          {116, 55, 120, 60}}},
        // insets larger than the image: the pieces that would reach outside are empty
        {{0, 0, 4, 4}, 3, 3, 3, 3, {{0, 0, 3, 3}, E, {1, 0, 4, 3}, E, E, E, {0, 1, 3, 4}, E, {1, 1, 4, 4}}},
        // zero insets: the corners and the strips along the edges are empty
        {{0, 0, 8, 8}, 0, 0, 0, 0, {E, E, E, E, {0, 0, 2, 2}, E, E, E, E}},
    };
    for (const NineCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.part.left << "," << c.part.top << " insets " << c.l << c.t << c.r << c.b);
        const auto part = XuiInnerSharedManager::MakeImagePart(nullptr, c.part);
        EXPECT_EQ(RectsOf(XuiInnerSharedManager::SplitImageNine(part, c.l, c.t, c.r, c.b)), c.expected);
    }
}

TEST_F(XuiInnerSharedManagerTest, SharedBitmapIsDecodedOnceAndSharedByEveryUser) {
    const XuiSharedImagePart first = XuiInnerSharedManager::FindSharedBitmap(Self(), XUI_TEST_PNG_YELLOW);
    const XuiSharedImagePart second = XuiInnerSharedManager::FindSharedBitmap(Self(), XUI_TEST_PNG_YELLOW);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(first->bitmap.get(), second->bitmap.get());
    EXPECT_EQ(first->source, (RECT{0, 0, 4, 4}));
    // Another image is another bitmap; the uncached loader decodes anew each time.
    EXPECT_NE(XuiInnerSharedManager::FindSharedBitmap(Self(), XUI_TEST_PNG_RED)->bitmap.get(), first->bitmap.get());
    const XuiSharedGpBitmap loaded = XuiInnerSharedManager::LoadPngBitmap(Self(), XUI_TEST_PNG_YELLOW);
    ASSERT_TRUE(loaded);
    EXPECT_NE(loaded.get(), first->bitmap.get());
    EXPECT_EQ(XuiInnerSharedManager::ImageWidth(loaded.get()), 4);
    // Parts made from the shared part keep pointing at the one decoded bitmap.
    const auto columns = XuiInnerSharedManager::SplitImageColumns(first, 2);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[1]->bitmap.get(), first->bitmap.get());
}

TEST_F(XuiInnerSharedManagerTest, MissingPngIsLoggedEveryTimeAndGivesNothing) {
    qvtest::TempFolder folder(L"xuilog");
    ryn::StartLogWriter(L"XUI", folder.Path().c_str());
    EXPECT_FALSE(XuiInnerSharedManager::FindSharedBitmap(Self(), XUI_TEST_PNG_MISSING));
    EXPECT_FALSE(XuiInnerSharedManager::FindSharedBitmap(Self(), XUI_TEST_PNG_MISSING));
    EXPECT_FALSE(XuiInnerSharedManager::LoadPngBitmap(Self(), XUI_TEST_PNG_MISSING));  // silent
    ryn::StopLogWriter();

    const auto files = qvtest::ListNames(folder.Path());
    ASSERT_EQ(files.size(), 1u);
    const std::string text = qvtest::ReadBytes(folder / files[0]);
    const std::string line = "Resource Id Not Found: 999 With Type: PNG";
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++count;
    EXPECT_EQ(count, 2u) << text;
    EXPECT_NE(text.find("Warn"), std::string::npos);
    EXPECT_NE(text.find("[ XuiInnerSharedManager::FindSharedBitmap @"), std::string::npos) << text;
}

TEST_F(XuiInnerSharedManagerTest, DrawImagePartPaintsOnlyTheChosenColumns) {
    const auto halves = XuiInnerSharedManager::FindSharedBitmap(Self(), XUI_TEST_PNG_HALVES);
    ASSERT_TRUE(halves);
    const auto columns = XuiInnerSharedManager::SplitImageColumns(halves, 2);
    ASSERT_EQ(columns.size(), 2u);
    XuiBitmapDC bitmap;
    ASSERT_TRUE(bitmap.Create(20, 10));
    PaintPart(bitmap, {0, 0, 10, 10}, columns[1]);   // blue half stretched
    PaintPart(bitmap, {10, 0, 20, 10}, columns[0]);  // red half stretched
    EXPECT_EQ(bitmap.PixelAt(5, 5), 0xFF0000FFu) << xuitest::PixelText(bitmap.PixelAt(5, 5));
    EXPECT_EQ(bitmap.PixelAt(15, 5), 0xFFFF0000u) << xuitest::PixelText(bitmap.PixelAt(15, 5));
}

TEST_F(XuiInnerSharedManagerTest, EmptyOrMissingPartsDrawNothing) {
    XuiBitmapDC bitmap;
    ASSERT_TRUE(bitmap.Create(8, 8));
    const auto yellow = XuiInnerSharedManager::FindSharedBitmap(Self(), XUI_TEST_PNG_YELLOW);
    PaintPart(bitmap, {0, 0, 8, 8}, nullptr);
    PaintPart(bitmap, {0, 0, 8, 8}, XuiInnerSharedManager::MakeImagePart(yellow, {2, 2, 2, 4}));   // empty rect
    PaintPart(bitmap, {0, 0, 8, 8}, XuiInnerSharedManager::MakeImagePart(nullptr, {0, 0, 4, 4}));  // no bitmap
    PaintPart(bitmap, {0, 0, 8, 8}, XuiInnerSharedManager::FindSharedBitmap(Self(), XUI_TEST_PNG_MISSING));
    for (const auto& piece : XuiInnerSharedManager::SplitImageNine(yellow, 9, 9, 9, 9)) {
        PaintPart(bitmap, {0, 0, 8, 8}, piece);  // an impossible cut: every piece is empty
    }
    GdiFlush();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) ASSERT_EQ(bitmap.PixelAt(x, y), 0u) << x << "," << y;
    }
}

TEST_F(XuiInnerSharedManagerTest, CutNineBitmapsCopiesTheNineRectangles) {
    const auto nine = XuiInnerSharedManager::LoadPngBitmap(Self(), XUI_TEST_PNG_NINE);
    ASSERT_TRUE(nine);
    const auto pieces = XuiInnerSharedManager::CutNineBitmaps(nine, 3, 3, 3, 3);
    ASSERT_EQ(pieces.size(), 9u);
    const int sizes[9][2] = {{3, 3}, {2, 3}, {3, 3}, {3, 2}, {2, 2}, {3, 2}, {3, 3}, {2, 3}, {3, 3}};
    // ARGB of each piece's top-left pixel
    const uint32_t colours[9] = {0x00000000, 0xFF00FF00, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                                 0xFF00FF00, 0xFFFF0000, 0xFF00FF00, 0xFFFF0000};
    for (int k = 0; k < 9; ++k) {
        SCOPED_TRACE(k);
        ASSERT_TRUE(pieces[k]);
        EXPECT_NE(pieces[k].get(), nine.get());
        EXPECT_EQ(XuiInnerSharedManager::ImageWidth(pieces[k].get()), sizes[k][0]);
        EXPECT_EQ(XuiInnerSharedManager::ImageHeight(pieces[k].get()), sizes[k][1]);
        Gdiplus::ARGB argb = 0;
        ASSERT_EQ(gdip::GdipBitmapGetPixel(pieces[k].get(), 0, 0, &argb), Gdiplus::Ok);
        if (colours[k] == 0) {
            EXPECT_EQ(argb >> 24, 0u);
        } else {
            EXPECT_EQ(argb, colours[k]) << xuitest::PixelText(argb);
        }
    }
    // Insets that leave no room and a missing bitmap: nine empty pieces, no crash.
    const auto impossible = XuiInnerSharedManager::CutNineBitmaps(nine, 7, 7, 7, 7);
    ASSERT_EQ(impossible.size(), 9u);
    EXPECT_FALSE(impossible[1]);  // 7..9 across an 8-pixel image
    EXPECT_FALSE(impossible[4]);
    EXPECT_TRUE(impossible[0]);  // 7 x 7 still fits in the corner
    EXPECT_TRUE(impossible[2]);  // 1..8
    for (const auto& piece : XuiInnerSharedManager::CutNineBitmaps(nullptr, 3, 3, 3, 3)) EXPECT_FALSE(piece);
}

struct FaceCase {
    const wchar_t* face;
    bool expectDefault;
};

TEST_F(XuiInnerSharedManagerTest, GetFontStyleUsesTheDefaultFaceForEmptyOrMissingFaces) {
    const ryn::RynString defaultFace = XuiInnerSharedManager::DefaultFace();
    // Wine reports Windows 7: an NT system above version 5.
    EXPECT_TRUE(defaultFace == L"微软雅黑");
    const ryn::RynString installed = InstalledFace();
    ASSERT_FALSE(installed.IsEmpty());
    EXPECT_TRUE(XuiInnerSharedManager::IsFontInstalled(installed));
    EXPECT_FALSE(XuiInnerSharedManager::IsFontInstalled(L"No Such Face 42"));
    ryn::RynString lower = installed;
    lower.ToLower();  // family names compare exactly

    const FaceCase cases[] = {
        {L"", true}, {L"No Such Face 42", true}, {installed.c_str(), false}, {lower.c_str(), true}};
    for (const FaceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.face);
        XuiTextStyle style;
        style.face = c.face;
        const XuiInnerSharedFontStyle font = XuiInnerSharedManager::GetFontStyle(style);
        EXPECT_TRUE(font.face == (c.expectDefault ? defaultFace.c_str() : c.face));
        EXPECT_EQ(font.size, 12);
        ASSERT_TRUE(font.colour);
        EXPECT_EQ(font.colour->GetValue(), 0xFE000000u);
    }
}

TEST_F(XuiInnerSharedManagerTest, FontsAndColoursAreCachedPerKey) {
    XuiTextStyle a;
    a.face = InstalledFace();
    a.size = 14;
    a.sizeSet = true;
    XuiTextStyle bold = a;
    bold.style = 1;
    bold.styleSet = true;
    XuiTextStyle red = a;
    red.colour = 0xFFFF0000;
    red.colourSet = true;
    const auto fa = XuiInnerSharedManager::GetFontStyle(a);
    const auto fa2 = XuiInnerSharedManager::GetFontStyle(a);
    const auto fb = XuiInnerSharedManager::GetFontStyle(bold);
    const auto fr = XuiInnerSharedManager::GetFontStyle(red);
    ASSERT_TRUE(fa.font);
    EXPECT_EQ(fa.font.get(), fa2.font.get());
    EXPECT_EQ(fa.colour.get(), fa2.colour.get());
    EXPECT_NE(fa.font.get(), fb.font.get());
    EXPECT_EQ(fa.font.get(), fr.font.get());  // the colour is not part of the font
    EXPECT_NE(fa.colour.get(), fr.colour.get());
    EXPECT_EQ(fr.colour->GetValue(), 0xFFFF0000u);
    EXPECT_EQ(fa.size, 14);
}

TEST_F(XuiInnerSharedManagerTest, MeasureStyledTextGrowsWithTheTextAndAddsTheAllowanceForTheDefaultFace) {
    XuiTextStyle style;
    style.face = InstalledFace();
    const auto tahoma = XuiInnerSharedManager::GetFontStyle(style);
    const SIZE one = XuiInnerSharedManager::MeasureStyledText(L"W", tahoma);
    const SIZE three = XuiInnerSharedManager::MeasureStyledText(L"WWW", tahoma);
    EXPECT_GT(one.cx, 0);
    EXPECT_GT(one.cy, 0);
    EXPECT_GT(three.cx, 2 * one.cx);
    EXPECT_EQ(three.cy, one.cy);

    // The default face gets size / 3 + characters / 2 on top of what GDI measures.
    XuiTextStyle yahei;
    const auto font = XuiInnerSharedManager::GetFontStyle(yahei);
    ASSERT_TRUE(font.face == L"微软雅黑");
    XuiInnerSharedFontStyle plain = font;
    plain.face = L"other";  // the same font without the allowance
    const ryn::RynString text = L"正在安装";
    EXPECT_EQ(XuiInnerSharedManager::MeasureStyledText(text, font).cx,
              XuiInnerSharedManager::MeasureStyledText(text, plain).cx + 12 / 3 + 4 / 2);
}

TEST_F(XuiInnerSharedManagerTest, DrawStyledTextPaintsInTheStyleColour) {
    XuiTextStyle style;
    style.face = InstalledFace();
    style.size = 20;
    style.sizeSet = true;
    style.colour = 0xFF00FF00;
    style.colourSet = true;
    XuiBitmapDC bitmap;
    ASSERT_TRUE(bitmap.Create(40, 30));
    {
        XuiScopedGraphics graphics;
        ASSERT_EQ(gdip::GdipCreateFromHDC(bitmap.DC(), graphics.Receive()), Gdiplus::Ok);
        XuiInnerSharedManager::DrawStyledText(graphics.Get(), {0, 0, 40, 30},
                                              XuiInnerSharedManager::GetFontStyle(style), nullptr, L"██");
    }
    GdiFlush();
    int green = 0, other = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const uint32_t p = bitmap.PixelAt(x, y);
            if (p == 0) continue;
            (xuitest::Green(p) > 0 && xuitest::Red(p) == 0 && xuitest::Blue(p) == 0 ? green : other)++;
        }
    }
    EXPECT_GT(green, 20);
    EXPECT_EQ(other, 0);
}

TEST_F(XuiInnerSharedManagerTest, BitmapFromHBITMAPPutsTheTopRowFirst) {
    // A 2 x 2 top-down DIB: top row red, bottom row blue (premultiplied, opaque).
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    XuiScopedBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(dib);
    auto* pixels = static_cast<uint32_t*>(bits);
    pixels[0] = pixels[1] = 0xFFFF0000;
    pixels[2] = pixels[3] = 0xFF0000FF;
    const XuiSharedGpBitmap bitmap = XuiInnerSharedManager::BitmapFromHBITMAP(dib.Get());
    ASSERT_TRUE(bitmap);
    Gdiplus::ARGB top = 0, bottom = 0;
    ASSERT_EQ(gdip::GdipBitmapGetPixel(bitmap.get(), 1, 0, &top), Gdiplus::Ok);
    ASSERT_EQ(gdip::GdipBitmapGetPixel(bitmap.get(), 1, 1, &bottom), Gdiplus::Ok);
    EXPECT_EQ(top, 0xFFFF0000u) << xuitest::PixelText(top);
    EXPECT_EQ(bottom, 0xFF0000FFu) << xuitest::PixelText(bottom);
    EXPECT_FALSE(XuiInnerSharedManager::BitmapFromHBITMAP(nullptr));
}

TEST_F(XuiInnerSharedManagerTest, BitmapDCKeepsAndClearsTheBitmapOfTheSameSize) {
    XuiBitmapDC bitmap;
    EXPECT_FALSE(bitmap.Create(0, 5));
    EXPECT_FALSE(bitmap.Create(5, -1));
    EXPECT_TRUE(bitmap.IsEmpty());
    ASSERT_TRUE(bitmap.Create(6, 4));
    const HBITMAP first = bitmap.Bitmap();
    XuiScopedBrush brush;
    {
        XuiScopedGraphics graphics;
        ASSERT_EQ(gdip::GdipCreateFromHDC(bitmap.DC(), graphics.Receive()), Gdiplus::Ok);
        ASSERT_EQ(gdip::GdipCreateSolidFill(0xFFFFFFFF, reinterpret_cast<Gdiplus::GpSolidFill**>(brush.Receive())),
                  Gdiplus::Ok);
        gdip::GdipFillRectangleI(graphics.Get(), brush.Get(), 0, 0, 6, 4);
    }
    GdiFlush();
    EXPECT_EQ(bitmap.PixelAt(5, 3), 0xFFFFFFFFu);
    ASSERT_TRUE(bitmap.Create(6, 4));
    EXPECT_EQ(bitmap.Bitmap(), first);
    EXPECT_EQ(bitmap.PixelAt(5, 3), 0u);
    ASSERT_TRUE(bitmap.Create(7, 4));
    EXPECT_EQ(bitmap.Width(), 7);
    bitmap.Release();
    EXPECT_TRUE(bitmap.IsEmpty());
    EXPECT_EQ(bitmap.PixelAt(0, 0), 0u);
}
