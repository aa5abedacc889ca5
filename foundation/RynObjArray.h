// Owning list of RynObject pointers: the array deletes every element. One thread at a time; owns its elements.
#pragma once

#include <vector>

#include "RynObject.h"

namespace ryn {

class RynObjArray : public RynObject {
public:
    RynObjArray();
    RynObjArray(const RynObjArray& other);  // clones every element, in order
    RynObjArray(RynObjArray&& other) noexcept;
    RynObjArray& operator=(const RynObjArray&) = delete;
    ~RynObjArray() override;

    RynString ToString() const override;
    RynObject* Clone() const override;

    int Count() const { return mCount; }
    // The element stays owned by the array.
    RynObject* At(int index) const;
    // Takes ownership of item.
    void Add(RynObject* item);

private:
    std::vector<RynObject*>* mItems;
    int mCount;
};

}  // namespace ryn
