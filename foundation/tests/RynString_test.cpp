#include <gtest/gtest.h>

#include <memory>

#include "RynArray.h"
#include "RynException.h"
#include "RynString.h"

using ryn::RynArray;
using ryn::RynException;
using ryn::RynObjArray;
using ryn::RynString;

TEST(RynString, NullPointersGiveTheEmptyString) {
    EXPECT_TRUE(RynString(static_cast<const wchar_t*>(nullptr)).IsEmpty());
    EXPECT_TRUE(RynString(static_cast<const char*>(nullptr), true).IsEmpty());
    EXPECT_TRUE(RynString(static_cast<const char*>(nullptr), false).IsEmpty());
    RynString s(L"x");
    s = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(RynString, NarrowConstructorsConvert) {
    EXPECT_TRUE(RynString("abc", true) == L"abc");
    EXPECT_TRUE(RynString("\xE5\xAE\x89\xE8\xA3\x85", false) == L"安装");
    EXPECT_TRUE(RynString("\xE5\xAE\x89\xE8\xA3\x85") == L"安装");
    // Bytes that are not UTF-8 never throw.
    EXPECT_NO_THROW(RynString("\xFF\xFE\xFD", false));
}

TEST(RynString, FromUtf8) {
    RynString s(L"old");
    s.FromUtf8("abc", 0);
    EXPECT_TRUE(s.IsEmpty());
    s.FromUtf8("ab\0cd", 5);
    EXPECT_TRUE(s == L"ab");
    s.FromUtf8("abcdef", 3);
    EXPECT_TRUE(s == L"abc");
    s.FromUtf8("\xE4\xB8\xAD", -1);
    EXPECT_TRUE(s == L"中");
    EXPECT_THROW(s.FromUtf8("abc", -2), RynException);
}

TEST(RynString, ToUtf8RoundTripsAndEmptyYieldsEmpty) {
    EXPECT_STREQ(RynString().ToUtf8(), "");
    RynString s(L"Mutex已存在");
    EXPECT_STREQ(s.ToUtf8(), "Mutex\xE5\xB7\xB2\xE5\xAD\x98\xE5\x9C\xA8");
    s.AppendUtf8("!");
    EXPECT_STREQ(s.ToUtf8(), "Mutex\xE5\xB7\xB2\xE5\xAD\x98\xE5\x9C\xA8!");
}

TEST(RynString, FormatAndAppend) {
    RynString s;
    s.Format(L"%s-%04d%02d", L"QVI", 2016, 8);
    EXPECT_TRUE(s == L"QVI-201608");
    s.AppendFormat(L" %X", 0x80070005u);
    EXPECT_TRUE(s == L"QVI-201608 80070005");
    s.AppendChar(L'!');
    s.Append(L"abcdef", 2);
    EXPECT_TRUE(s == L"QVI-201608 80070005!ab");
    EXPECT_TRUE(ryn::FormatString(L"[%d]", 7) == L"[7]");
    EXPECT_THROW(s.Append(L"x", -1), RynException);
}

TEST(RynString, SplitKeepsOnlyNonEmptyPieces) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> pieces;
    } cases[] = {
        {L",a,,b,", {L"a", L"b"}}, {L"", {}}, {L",", {}}, {L"one", {L"one"}}, {L"10,20, 30", {L"10", L"20", L" 30"}},
    };
    for (const Case& c : cases) {
        RynArray<RynString> pieces = RynString(c.text).Split();
        ASSERT_EQ(pieces.Count(), static_cast<int>(c.pieces.size())) << "text: " << RynString(c.text).ToUtf8();
        for (int i = 0; i < pieces.Count(); ++i) EXPECT_STREQ(pieces.At(i)->c_str(), c.pieces[i].c_str());
    }
}

TEST(RynString, ToUIntList) {
    unsigned values[5] = {};
    EXPECT_EQ(RynString(L"10 20,x30").ToUIntList(values, 5), 3);
    EXPECT_EQ(values[0], 10u);
    EXPECT_EQ(values[1], 20u);
    EXPECT_EQ(values[2], 30u);
    unsigned two[2] = {};
    EXPECT_EQ(RynString(L"10 20,x30").ToUIntList(two, 2), 2);
    EXPECT_EQ(RynString(L"").ToUIntList(values, 5), 0);
    EXPECT_EQ(RynString(L"abc").ToUIntList(values, 5), 0);
}

TEST(RynString, ToIntAndToUInt) {
    struct Case {
        const wchar_t* text;
        bool ok;
        int value;
    } cases[] = {
        {L" 42 ", true, 42}, {L"abc", false, -99}, {L"7x", true, 7},
        {L"", false, -99},   {L"-15", true, -15},  {L"   ", false, -99},
    };
    for (const Case& c : cases) {
        int value = -99;
        EXPECT_EQ(RynString(c.text).ToInt(&value), c.ok) << RynString(c.text).ToUtf8();
        EXPECT_EQ(value, c.value) << RynString(c.text).ToUtf8();
    }
    unsigned hex = 0;
    EXPECT_TRUE(RynString(L" ff ").ToUInt(&hex, 16));
    EXPECT_EQ(hex, 255u);
}

TEST(RynString, CopyToHoldsAtMost78Units) {
    wchar_t buffer[RynString::kCopyBufferSize];
    const RynString fits(std::wstring(78, L'a').c_str());
    EXPECT_EQ(fits.CopyTo(buffer), 78);
    EXPECT_EQ(std::wstring(buffer), std::wstring(78, L'a'));
    buffer[0] = L'z';
    EXPECT_EQ(RynString(std::wstring(79, L'b').c_str()).CopyTo(buffer), -1);
    EXPECT_EQ(buffer[0], L'z');  // nothing copied
}

TEST(RynString, LeftCaseAndComparison) {
    EXPECT_TRUE(RynString(L"C:\\Program Files").Left(2) == L"C:");
    EXPECT_TRUE(RynString(L"ab").Left(10) == L"ab");
    EXPECT_THROW(RynString(L"ab").Left(-1), RynException);
    RynString s(L"Quorvia.EXE");
    s.ToLower();
    EXPECT_TRUE(s == L"quorvia.exe");
    s.ToUpper();
    EXPECT_TRUE(s == L"QUORVIA.EXE");
    EXPECT_EQ(s.CompareNoCase(L"quorvia.exe"), 0);
    EXPECT_LT(RynString(L"a").CompareNoCase(L"B"), 0);
    EXPECT_FALSE(RynString(L"a") == L"A");
}

TEST(RynString, MisuseThrowsWithItsHResult) {
    const RynString s(L"x");
    try {
        s.CompareNoCase(nullptr);
        FAIL() << "no exception";
    } catch (const RynException& e) {
        EXPECT_EQ(e.Result(), E_FAIL);
    }
    try {
        (void)(s == static_cast<const wchar_t*>(nullptr));
        FAIL() << "no exception";
    } catch (const RynException& e) {
        EXPECT_EQ(e.Result(), E_FAIL);
    }
    try {
        s.Left(-3);
        FAIL() << "no exception";
    } catch (const RynException& e) {
        EXPECT_EQ(e.Result(), E_INVALIDARG);
    }
}

TEST(RynString, CopiesAreIndependentValues) {
    RynString a(L"abc");
    RynString b(a);
    b.AppendChar(L'd');
    EXPECT_TRUE(a == L"abc");
    RynString c;
    c = a;
    a.ToUpper();
    EXPECT_TRUE(c == L"abc");
    RynString moved;
    moved = std::move(c);
    EXPECT_TRUE(moved == L"abc");
    std::unique_ptr<ryn::RynObject> clone(a.Clone());
    a.AppendChar(L'!');
    EXPECT_TRUE(clone->ToString() == L"ABC");
}

namespace {

// Counts live instances so a test can see which array deleted what.
struct Tracked : ryn::RynObject {
    static int live;
    Tracked() { ++live; }
    Tracked(const Tracked&) : ryn::RynObject() { ++live; }
    ~Tracked() override { --live; }
    RynObject* Clone() const override { return new Tracked(*this); }
};
int Tracked::live = 0;

}  // namespace

TEST(RynArray, ToStringHasTheExactLayout) {
    RynArray<RynString> array;
    array.Add(new RynString(L"a"));
    array.Add(new RynString(L"b"));
    EXPECT_STREQ(array.ToString().c_str(), L"[RynArray: 2] {\r\n\ta\r\n\tb\r\n\r\n");
    RynObjArray plain;
    EXPECT_STREQ(plain.ToString().c_str(), L"[RynObjArray: 0]");
    EXPECT_STREQ(RynString(L"q").ToString().c_str(), L"q");
}

TEST(RynArray, CloneOwnsCopiesOfEveryElement) {
    {
        RynObjArray source;
        source.Add(new Tracked);
        source.Add(new Tracked);
        EXPECT_EQ(Tracked::live, 2);
        {
            std::unique_ptr<ryn::RynObject> clone(source.Clone());
            EXPECT_EQ(Tracked::live, 4);
            EXPECT_EQ(static_cast<RynObjArray*>(clone.get())->Count(), 2);
            EXPECT_NE(static_cast<RynObjArray*>(clone.get())->At(0), source.At(0));
        }
        EXPECT_EQ(Tracked::live, 2);  // the source's elements survive the clone's end
        EXPECT_THROW(source.At(2), RynException);
    }
    EXPECT_EQ(Tracked::live, 0);
}
