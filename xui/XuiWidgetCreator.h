// Abstract widget factory and the two process-wide creator registries (layout documents and scripts). Creators are
// static objects that live as long as the process, so the interface has no virtual destructor. UI thread only;
// the registries hold plain pointers and own nothing.
#pragma once

#include <vector>

class XuiWidget;
class XuiScriptCall;
class XuiXmlElement;

class XuiWidgetCreator {
public:
    // A new detached widget, or null when the creator does not know the element's type.
    virtual XuiWidget* CreateFromXml(XuiXmlElement& element) = 0;
    // A new detached widget, or null when the creator does not know the type in argument 1.
    virtual XuiWidget* CreateFromScript(XuiScriptCall& call) = 0;

    static void AppendDocumentCreator(XuiWidgetCreator* creator);
    static void AppendScriptCreator(XuiWidgetCreator* creator);
    // Walk the registry from the most recently appended creator to the first; the first widget made wins.
    static XuiWidget* CreateWidgetFromXml(XuiXmlElement& element);
    static XuiWidget* CreateWidgetFromScript(XuiScriptCall& call);
    // Empties both registries (toolkit shutdown).
    static void ClearRegistries();

protected:
    ~XuiWidgetCreator() = default;
};
