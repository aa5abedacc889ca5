// The toolkit's own widget creator: makes widgets by exact type name from a layout-document element (the tag,
// name from "Name") or a script call (type, name, text). Types come with their widget classes; "XuiContainer" is
// known so far. One static instance lives as long as the process. UI thread only; owns nothing.
#pragma once

#include "RynString.h"
#include "XuiWidgetCreator.h"

class XuiDefaultWidgetCreator : public XuiWidgetCreator {
public:
    static XuiDefaultWidgetCreator* Instance();

    XuiWidget* CreateFromXml(XuiXmlElement& element) override;
    XuiWidget* CreateFromScript(XuiScriptCall& call) override;

private:
    XuiDefaultWidgetCreator() = default;
    static XuiWidget* CreateByType(const ryn::RynString& type);
};
