// Root of the foundation's small class tree. Any thread; owns nothing.
#pragma once

namespace ryn {

class RynString;

class RynObject {
public:
    virtual ~RynObject();
    virtual RynString ToString() const;
    // A new heap object of the same dynamic type; the caller owns it.
    virtual RynObject* Clone() const = 0;
};

}  // namespace ryn
