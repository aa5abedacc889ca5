#include "RynObject.h"

#include "RynString.h"

namespace ryn {

RynObject::~RynObject() = default;

RynString RynObject::ToString() const { return RynString(L"[RynObject]"); }

}  // namespace ryn
