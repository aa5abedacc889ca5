#include "RynString.h"

#include <cwchar>
#include <cwctype>
#include <new>
#include <string>

#include "RynArray.h"
#include "RynException.h"

namespace ryn {

// Plain copies: each value owns its text, so no two threads ever share mutable state.
struct RynString::Impl {
    std::wstring text;
    mutable std::string utf8;
};

namespace {

RynString::Impl* NewImpl() {
    try {
        return new RynString::Impl;
    } catch (const std::bad_alloc&) {
        throw RynException(E_OUTOFMEMORY);
    }
}

// MultiByteToWideChar of a whole zero-terminated or counted narrow text; empty on failure or no result.
std::wstring Widen(UINT codePage, const char* bytes, int length) {
    std::wstring out;
    if (bytes == nullptr || length == 0) return out;
    const int needed = MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0);
    if (needed <= 0) return out;
    out.resize(static_cast<size_t>(needed));
    const int written = MultiByteToWideChar(codePage, 0, bytes, length, &out[0], needed);
    if (written <= 0) return std::wstring();
    out.resize(static_cast<size_t>(written));
    // A counted conversion of -1 includes the terminator; a zero inside the bytes ends the text as well.
    const size_t zero = out.find(L'\0');
    if (zero != std::wstring::npos) out.resize(zero);
    return out;
}

void AppendFormatted(std::wstring& out, const wchar_t* format, va_list args) {
    if (format == nullptr) throw RynException(E_FAIL);
    va_list probe;
    va_copy(probe, args);
    const int needed = _vscwprintf(format, probe);
    va_end(probe);
    if (needed < 0) throw RynException(E_INVALIDARG);
    if (needed == 0) return;
    const size_t start = out.size();
    try {
        out.resize(start + static_cast<size_t>(needed) + 1);
    } catch (const std::bad_alloc&) {
        throw RynException(E_OUTOFMEMORY);
    }
    _vsnwprintf(&out[start], static_cast<size_t>(needed) + 1, format, args);
    out.resize(start + static_cast<size_t>(needed));
}

std::wstring Trimmed(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && iswspace(text[first])) ++first;
    while (last > first && iswspace(text[last - 1])) --last;
    return text.substr(first, last - first);
}

}  // namespace

RynString::RynString() : mImpl(NewImpl()) {}

RynString::RynString(const RynString& other) : mImpl(NewImpl()) { mImpl->text = other.mImpl->text; }

RynString::RynString(RynString&& other) noexcept : mImpl(other.mImpl) {
    // The source keeps a record of its own, so a moved-from string is still safe to touch.
    other.mImpl = new (std::nothrow) Impl;
}

RynString::RynString(const wchar_t* text) : mImpl(NewImpl()) {
    if (text != nullptr) mImpl->text = text;
}

RynString::RynString(const char* text, bool ansi) : mImpl(NewImpl()) {
    mImpl->text = Widen(ansi ? CP_ACP : CP_UTF8, text, -1);
}

RynString::RynString(const char* utf8) : mImpl(NewImpl()) { FromUtf8(utf8, -1); }

RynString::~RynString() { delete mImpl; }

RynString& RynString::operator=(const RynString& other) {
    if (this != &other) {
        mImpl->text = other.mImpl->text;
    }
    return *this;
}

RynString& RynString::operator=(const wchar_t* text) {
    if (text == nullptr) {
        mImpl->text.clear();
    } else {
        mImpl->text = std::wstring(text);
    }
    return *this;
}

RynString& RynString::operator=(RynString&& other) noexcept {
    if (this != &other) {
        Impl* mine = mImpl;
        mImpl = other.mImpl;
        other.mImpl = mine;
    }
    return *this;
}

RynString RynString::ToString() const { return *this; }

RynObject* RynString::Clone() const { return new RynString(*this); }

void RynString::FromUtf8(const char* bytes, int length) {
    if (length < -1) throw RynException(E_INVALIDARG);
    mImpl->text.clear();
    if (length == 0 || bytes == nullptr) return;
    mImpl->text = Widen(CP_UTF8, bytes, length);
}

void RynString::Append(const wchar_t* text, int count) {
    if (count < 0) throw RynException(E_INVALIDARG);
    if (count == 0) return;
    if (text == nullptr) throw RynException(E_FAIL);
    try {
        mImpl->text.append(text, static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        throw RynException(E_OUTOFMEMORY);
    }
}

void RynString::Append(const RynString& text) { Append(text.c_str(), text.Length()); }

void RynString::AppendUtf8(const char* text) { mImpl->text += Widen(CP_UTF8, text, -1); }

void RynString::AppendChar(wchar_t ch) { mImpl->text.push_back(ch); }

void RynString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void RynString::FormatV(const wchar_t* format, va_list args) {
    std::wstring out;
    AppendFormatted(out, format, args);
    mImpl->text.swap(out);
}

void RynString::AppendFormat(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void RynString::AppendFormatV(const wchar_t* format, va_list args) { AppendFormatted(mImpl->text, format, args); }

RynString FormatString(const wchar_t* format, ...) {
    RynString out;
    va_list args;
    va_start(args, format);
    out.FormatV(format, args);
    va_end(args);
    return out;
}

const char* RynString::ToUtf8() const {
    std::string& out = mImpl->utf8;
    out.clear();
    const std::wstring& text = mImpl->text;
    if (text.empty()) return out.c_str();
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (needed > 0) {
        out.resize(static_cast<size_t>(needed));
        const int written = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], needed,
                                                nullptr, nullptr);
        out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    }
    return out.c_str();
}

void RynString::ToLower() {
    for (wchar_t& ch : mImpl->text) ch = towlower(ch);
}

void RynString::ToUpper() {
    for (wchar_t& ch : mImpl->text) ch = towupper(ch);
}

RynString RynString::Left(int count) const {
    if (count < 0) throw RynException(E_INVALIDARG);
    RynString out;
    out.mImpl->text = mImpl->text.substr(0, static_cast<size_t>(count));
    return out;
}

int RynString::CompareNoCase(const wchar_t* text) const {
    if (text == nullptr) throw RynException(E_FAIL);
    return _wcsicmp(c_str(), text);
}

bool RynString::operator==(const wchar_t* text) const {
    if (text == nullptr) throw RynException(E_FAIL);
    return mImpl->text == text;
}

bool RynString::operator==(const RynString& other) const { return mImpl->text == other.mImpl->text; }

bool RynString::ToInt(int* value) const {
    const std::wstring text = Trimmed(mImpl->text);
    if (text.empty() || value == nullptr) return false;
    wchar_t* end = nullptr;
    const long parsed = wcstol(text.c_str(), &end, 10);
    if (end == text.c_str()) return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool RynString::ToUInt(unsigned* value, int base) const {
    const std::wstring text = Trimmed(mImpl->text);
    if (text.empty() || value == nullptr) return false;
    wchar_t* end = nullptr;
    const unsigned long parsed = wcstoul(text.c_str(), &end, base);
    if (end == text.c_str()) return false;
    *value = static_cast<unsigned>(parsed);
    return true;
}

int RynString::ToUIntList(unsigned* values, int maxCount) const {
    if (maxCount < 0) throw RynException(E_INVALIDARG);
    if (values == nullptr || maxCount == 0) return 0;
    const wchar_t* pos = c_str();
    int stored = 0;
    while (*pos != L'\0' && stored < maxCount) {
        wchar_t* end = nullptr;
        const unsigned long parsed = wcstoul(pos, &end, 10);
        if (end != pos) {
            values[stored++] = static_cast<unsigned>(parsed);
            pos = end;
        } else {
            ++pos;
        }
    }
    return stored;
}

RynArray<RynString> RynString::Split() const {
    RynArray<RynString> pieces;
    const std::wstring& text = mImpl->text;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos) comma = text.size();
        if (comma > start) {
            RynString* piece = new RynString;
            piece->mImpl->text = text.substr(start, comma - start);
            pieces.Add(piece);
        }
        start = comma + 1;
    }
    return pieces;
}

int RynString::CopyTo(wchar_t (&buffer)[kCopyBufferSize]) const {
    const int length = Length();
    if (length > kCopyBufferSize - 2) return -1;
    wmemcpy(buffer, c_str(), static_cast<size_t>(length) + 1);
    return length;
}

int RynString::Length() const { return static_cast<int>(mImpl->text.size()); }

bool RynString::IsEmpty() const { return mImpl->text.empty(); }

const wchar_t* RynString::c_str() const { return mImpl->text.c_str(); }

}  // namespace ryn
