// Selects a GDI object into a device context and selects the former one back when the owner ends.
// UI thread; owns neither the context nor the object, only the selection.
#pragma once

#include <windows.h>

class XuiSelectObject {
public:
    XuiSelectObject(HDC dc, HGDIOBJ object) : mDC(dc), mOld(dc != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~XuiSelectObject() {
        if (Selected()) SelectObject(mDC, mOld);
    }
    XuiSelectObject(const XuiSelectObject&) = delete;
    XuiSelectObject& operator=(const XuiSelectObject&) = delete;

    // SelectObject fails with null (or HGDI_ERROR for regions, which the toolkit never selects).
    bool Selected() const { return mOld != nullptr && mOld != HGDI_ERROR; }

private:
    HDC mDC;
    HGDIOBJ mOld;
};
