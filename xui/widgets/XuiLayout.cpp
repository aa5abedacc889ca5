#include "XuiLayout.h"

XuiLayout XuiLayout::FromCode(const wchar_t* code, const int* numbers, int count) {
    XuiLayout layout;
    if (code == nullptr || numbers == nullptr) return layout;
    for (int i = 0; code[i] != L'\0' && i < count; ++i) {
        const int value = numbers[i];
        switch (code[i]) {
            case L'l':
                layout.left = value;
                layout.leftSet = true;
                break;
            case L'r':
                layout.right = value;
                layout.rightSet = true;
                break;
            case L'w':
                layout.width = static_cast<uint32_t>(value);
                layout.widthSet = true;
                break;
            case L't':
                layout.top = value;
                layout.topSet = true;
                break;
            case L'b':
                layout.bottom = value;
                layout.bottomSet = true;
                break;
            case L'h':
                layout.height = static_cast<uint32_t>(value);
                layout.heightSet = true;
                break;
            default:
                break;  // the number is used up all the same
        }
    }
    return layout;
}

namespace {

// One axis: near/far offsets and size against the parent's [low, high]. Wrapping 32-bit arithmetic, as the
// anchors are applied to whatever numbers the script gave.
bool PlaceAxis(int32_t low, int32_t high, int32_t nearValue, bool nearSet, int32_t farValue, bool farSet, uint32_t size,
               bool sizeSet, LONG* outLow, LONG* outHigh) {
    const auto add = [](int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + b); };
    const auto sub = [](int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - b); };
    const int32_t half = static_cast<int32_t>(size / 2);  // halved as an unsigned number
    if (sizeSet) {
        if (nearSet) {
            *outLow = add(low, nearValue);
        } else if (farSet) {
            *outLow = sub(sub(high, farValue), static_cast<int32_t>(size));
        } else {
            *outLow = sub(add(low, sub(high, low) / 2), half);
        }
        *outHigh = add(*outLow, static_cast<int32_t>(size));
        return true;
    }
    if (nearSet && farSet) {
        *outLow = add(low, nearValue);
        *outHigh = sub(high, farValue);
        return true;
    }
    return false;
}

}  // namespace

RECT XuiLayout::Place(const RECT& parent) const {
    RECT rect = {0, 0, 0, 0};
    if (!PlaceAxis(parent.left, parent.right, left, leftSet, right, rightSet, width, widthSet, &rect.left,
                   &rect.right)) {
        rect = {0, 0, 0, 0};
    }
    if (!PlaceAxis(parent.top, parent.bottom, top, topSet, bottom, bottomSet, height, heightSet, &rect.top,
                   &rect.bottom)) {
        rect = {0, 0, 0, 0};
    }
    return rect;
}

bool XuiLayout::operator==(const XuiLayout& o) const {
    return left == o.left && leftSet == o.leftSet && right == o.right && rightSet == o.rightSet && width == o.width &&
           widthSet == o.widthSet && top == o.top && topSet == o.topSet && bottom == o.bottom &&
           bottomSet == o.bottomSet && height == o.height && heightSet == o.heightSet;
}
