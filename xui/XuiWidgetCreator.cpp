#include "XuiWidgetCreator.h"

namespace {

std::vector<XuiWidgetCreator*>& DocumentRegistry() {
    static std::vector<XuiWidgetCreator*> registry;
    return registry;
}

std::vector<XuiWidgetCreator*>& ScriptRegistry() {
    static std::vector<XuiWidgetCreator*> registry;
    return registry;
}

}  // namespace

void XuiWidgetCreator::AppendDocumentCreator(XuiWidgetCreator* creator) { DocumentRegistry().push_back(creator); }

void XuiWidgetCreator::AppendScriptCreator(XuiWidgetCreator* creator) { ScriptRegistry().push_back(creator); }

XuiWidget* XuiWidgetCreator::CreateWidgetFromXml(XuiXmlElement& element) {
    const auto& registry = DocumentRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it) {
        if (XuiWidget* widget = (*it)->CreateFromXml(element)) return widget;
    }
    return nullptr;
}

XuiWidget* XuiWidgetCreator::CreateWidgetFromScript(XuiScriptCall& call) {
    const auto& registry = ScriptRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it) {
        if (XuiWidget* widget = (*it)->CreateFromScript(call)) return widget;
    }
    return nullptr;
}

void XuiWidgetCreator::ClearRegistries() {
    DocumentRegistry().clear();
    ScriptRegistry().clear();
}
