// RynObjArray with typed elements (the program uses RynArray<RynString>). One thread at a time; owns its elements.
#pragma once

#include "RynObjArray.h"
#include "RynString.h"

namespace ryn {

template <class T>
class RynArray : public RynObjArray {
public:
    RynArray() = default;
    RynArray(const RynArray& other) = default;
    RynArray(RynArray&& other) noexcept = default;

    T* At(int index) const { return static_cast<T*>(RynObjArray::At(index)); }
    void Add(T* item) { RynObjArray::Add(item); }

    RynString ToString() const override {
        RynString text = FormatString(L"[RynArray: %d] {\r\n", Count());
        for (int i = 0; i < Count(); ++i) {
            text.AppendChar(L'\t');
            if (T* item = At(i)) text.Append(item->ToString());
            text.Append(L"\r\n", 2);
        }
        text.Append(L"\r\n", 2);
        return text;
    }

    RynObject* Clone() const override { return new RynArray(*this); }
};

}  // namespace ryn
