// Element cursor of a running layout document: a main element and a current child element, and the dialog the
// document runs against. Creators and widget loaders read attributes through it. Implemented by the layout-document
// reader; tests give a fake. UI thread only; the cursor belongs to the reader and is valid while the document runs.
#pragma once

#include "RynString.h"

class XuiDialog;

class XuiXmlElement {
public:
    enum Mode { kModeNone = 0, kModeAdd = 1, kModeRemove = 2, kModeSet = 3 };

    virtual ryn::RynString TagName() = 0;
    // Attribute text of the main element; empty when absent.
    virtual ryn::RynString Attribute(const wchar_t* name) = 0;
    // The trimmed attribute text as a signed decimal number; false (value untouched) when the attribute is absent,
    // empty or does not start with a number.
    virtual bool AttributeInt(const wchar_t* name, int* value) = 0;
    virtual ryn::RynString Text() = 0;
    virtual ryn::RynString ChildTagName() = 0;
    virtual ryn::RynString ChildAttribute(const wchar_t* name) = 0;
    virtual bool ChildAttributeInt(const wchar_t* name, int* value) = 0;
    virtual ryn::RynString ChildText() = 0;
    // Null name: any element. False when there is no further element.
    virtual bool NextElement(const wchar_t* name) = 0;
    virtual bool NextChildElement(const wchar_t* name) = 0;
    virtual void EnterElement() = 0;
    virtual void LeaveElement() = 0;
    virtual int RunMode() = 0;
    virtual XuiDialog* Dialog() = 0;

protected:
    ~XuiXmlElement() = default;
};
