#include "RynObjArray.h"

#include <memory>

#include "RynException.h"
#include "RynString.h"

namespace ryn {

RynObjArray::RynObjArray() : mItems(new std::vector<RynObject*>), mCount(0) {}

RynObjArray::RynObjArray(const RynObjArray& other) : RynObjArray() {
    mItems->reserve(other.mItems->size());
    for (RynObject* item : *other.mItems) {
        Add(item != nullptr ? item->Clone() : nullptr);
    }
}

RynObjArray::RynObjArray(RynObjArray&& other) noexcept : mItems(other.mItems), mCount(other.mCount) {
    other.mItems = new (std::nothrow) std::vector<RynObject*>;
    other.mCount = 0;
}

RynObjArray::~RynObjArray() {
    if (mItems == nullptr) return;
    for (RynObject* item : *mItems) delete item;
    delete mItems;
}

RynString RynObjArray::ToString() const { return FormatString(L"[RynObjArray: %d]", mCount); }

RynObject* RynObjArray::Clone() const { return new RynObjArray(*this); }

RynObject* RynObjArray::At(int index) const {
    if (index < 0 || index >= mCount) throw RynException(E_INVALIDARG);
    return (*mItems)[static_cast<size_t>(index)];
}

void RynObjArray::Add(RynObject* item) {
    std::unique_ptr<RynObject> owned(item);  // deleted if the vector cannot grow
    mItems->push_back(item);
    owned.release();
    mCount = static_cast<int>(mItems->size());
}

}  // namespace ryn
