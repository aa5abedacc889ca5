#include "XuiDefaultWidgetCreator.h"

#include "XuiContainer.h"
#include "XuiScriptCall.h"
#include "XuiXmlElement.h"

XuiDefaultWidgetCreator* XuiDefaultWidgetCreator::Instance() {
    static XuiDefaultWidgetCreator instance;
    return &instance;
}

XuiWidget* XuiDefaultWidgetCreator::CreateByType(const ryn::RynString& type) {
    if (type == L"XuiContainer") return new XuiContainer;
    return nullptr;
}

XuiWidget* XuiDefaultWidgetCreator::CreateFromXml(XuiXmlElement& element) {
    XuiWidget* widget = CreateByType(element.TagName());
    if (widget != nullptr) widget->SetName(element.Attribute(L"Name"));
    return widget;
}

XuiWidget* XuiDefaultWidgetCreator::CreateFromScript(XuiScriptCall& call) {
    // Name and text are read only for a known type, so an unknown type never raises an argument error for them.
    XuiWidget* widget = CreateByType(call.ArgString(1));
    if (widget != nullptr) {
        widget->SetName(call.ArgString(2));
        widget->SetText(call.ArgString(3));
    }
    return widget;
}
