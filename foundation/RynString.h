// UTF-16 text value with an on-demand UTF-8 copy, formatting, parsing and splitting.
// Values: a copy never changes with its source. One object is used by one thread at a time; copies may live on
// different threads. Owns its implementation record (text and UTF-8 copy).
#pragma once

#include <windows.h>

#include <cstdarg>

#include "RynObject.h"

namespace ryn {

template <class T>
class RynArray;

class RynString : public RynObject {
public:
    RynString();
    RynString(const RynString& other);
    RynString(RynString&& other) noexcept;
    RynString(const wchar_t* text);          // null gives the empty string
    RynString(const char* text, bool ansi);  // CP_ACP when ansi, UTF-8 otherwise
    explicit RynString(const char* utf8);    // FromUtf8(utf8, -1)
    ~RynString() override;

    RynString& operator=(const RynString& other);
    RynString& operator=(const wchar_t* text);
    // Takes over the other's record; the other keeps a valid (unspecified) value.
    RynString& operator=(RynString&& other) noexcept;

    RynString ToString() const override;
    RynObject* Clone() const override;

    void FromUtf8(const char* bytes, int length);
    void Append(const wchar_t* text, int count);
    void Append(const RynString& text);
    void AppendUtf8(const char* text);
    void AppendChar(wchar_t ch);
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);
    void AppendFormat(const wchar_t* format, ...);
    void AppendFormatV(const wchar_t* format, va_list args);

    // The UTF-8 copy; valid until the next change or the next ToUtf8.
    const char* ToUtf8() const;
    void ToLower();
    void ToUpper();
    RynString Left(int count) const;

    int CompareNoCase(const wchar_t* text) const;
    bool operator==(const wchar_t* text) const;
    bool operator==(const RynString& other) const;
    bool operator!=(const wchar_t* text) const { return !(*this == text); }
    bool operator!=(const RynString& other) const { return !(*this == other); }

    bool ToInt(int* value) const;
    bool ToUInt(unsigned* value, int base) const;
    int ToUIntList(unsigned* values, int maxCount) const;
    RynArray<RynString> Split() const;

    static constexpr int kCopyBufferSize = 80;
    // Copies text and terminator into a buffer of kCopyBufferSize units when it has at most 78; else -1.
    int CopyTo(wchar_t (&buffer)[kCopyBufferSize]) const;

    int Length() const;
    bool IsEmpty() const;
    // The text; valid until the next change.
    const wchar_t* c_str() const;

    struct Impl;

private:
    Impl* mImpl;
};

RynString FormatString(const wchar_t* format, ...);

}  // namespace ryn
