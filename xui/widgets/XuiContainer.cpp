#include "XuiContainer.h"

#include <algorithm>

#include "XuiDialog.h"
#include "XuiInnerSharedManager.h"
#include "XuiScriptCall.h"
#include "XuiToolkit.h"
#include "XuiWidgetCreator.h"
#include "XuiXmlElement.h"

using ryn::RynString;

XuiContainer::XuiContainer() : mPrivate(new Private), mChildren(mPrivate->children) {}

// The children were handed to the deletion queue before; only the record goes.
XuiContainer::~XuiContainer() { delete mPrivate; }

bool XuiContainer::IsContainer() const { return true; }
bool XuiContainer::IsInteractive() const { return false; }

void XuiContainer::AddChild(XuiWidget* widget) {
    if (widget == nullptr) return;
    mChildren.push_back(widget);
    mPrivate->byName[widget->Name().c_str()] = widget;
    widget->SetParent(this);
    widget->SetDialog(Dialog());
    widget->InheritTextStyle(this);
    if (widget->IsContainer()) mPrivate->childContainers.push_back(widget);
}

// Forgets the widget in the dialog (default keys, and the hover, focus and tooltip references that must not
// outlive it), lets it detach its own children, and clears its dialog pointer.
void XuiContainer::Detach(XuiWidget* widget) {
    if (XuiDialog* dialog = Dialog()) dialog->ForgetWidget(widget);
    widget->OnDetached();
    widget->SetDialog(nullptr);
}

XuiWidget* XuiContainer::RemoveChild(const RynString& name) {
    const auto found = mPrivate->byName.find(name.c_str());
    if (found == mPrivate->byName.end()) return nullptr;
    XuiWidget* widget = found->second;
    Detach(widget);
    mPrivate->byName.erase(found);
    mChildren.erase(std::remove(mChildren.begin(), mChildren.end(), widget), mChildren.end());
    if (widget->IsContainer()) {
        static_cast<XuiContainer*>(widget)->RemoveAllChildren();
        auto& containers = mPrivate->childContainers;
        containers.erase(std::remove(containers.begin(), containers.end(), widget), containers.end());
    }
    XuiQueueWidgetDeletion(widget);
    return widget;
}

void XuiContainer::RemoveAllChildren() {
    // Detaching a child container empties it through its OnDetached, before it is queued.
    const std::vector<XuiWidget*> children = std::move(mChildren);
    mChildren.clear();
    mPrivate->byName.clear();
    mPrivate->childContainers.clear();
    for (XuiWidget* child : children) {
        Detach(child);
        XuiQueueWidgetDeletion(child);
    }
}

XuiWidget* XuiContainer::FindChild(const RynString& name, bool recursive) const {
    const auto found = mPrivate->byName.find(name.c_str());
    if (found != mPrivate->byName.end()) return found->second;
    if (!recursive) return nullptr;
    for (XuiWidget* child : mPrivate->childContainers) {
        if (XuiWidget* hit = static_cast<XuiContainer*>(child)->FindChild(name, true)) return hit;
    }
    return nullptr;
}

XuiWidget* XuiContainer::HitTest(POINT point) {
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it) {
        XuiWidget* child = *it;
        if (!child->IsVisible() || child->IsDisabled()) continue;
        if (PtInRect(&child->Rect(), point)) {
            return child->IsContainer() ? static_cast<XuiContainer*>(child)->HitTest(point) : child;
        }
    }
    return PtInRect(&Rect(), point) ? this : nullptr;
}

void XuiContainer::LayoutChildren() {
    for (size_t i = 0; i < mChildren.size(); ++i) {
        XuiWidget* child = mChildren[i];
        RECT rect = {0, 0, 0, 0};
        child->CalcRect(Rect(), &rect);
        child->SetRect(rect);
        child->UpdateTooltip();
        child->OnLayout();
    }
}

void XuiContainer::OnLayout() { LayoutChildren(); }

XuiWidget* XuiContainer::BestTabStop(bool bounded, int after) const {
    XuiWidget* best = nullptr;
    for (XuiWidget* child : mChildren) {
        if (!child->IsVisible() || child->IsDisabled() || !child->HasTabStop()) continue;
        if (bounded && child->TabStop() <= after) continue;
        if (best == nullptr || child->TabStop() < best->TabStop()) best = child;
    }
    for (XuiWidget* child : mPrivate->childContainers) {
        if (!child->IsVisible() || child->IsDisabled()) continue;
        XuiWidget* inner = static_cast<XuiContainer*>(child)->BestTabStop(bounded, after);
        if (inner != nullptr && (best == nullptr || inner->TabStop() < best->TabStop())) best = inner;
    }
    return best;
}

XuiWidget* XuiContainer::FirstTabStop() const { return BestTabStop(false, 0); }
XuiWidget* XuiContainer::NextTabStop(int after) const { return BestTabStop(true, after); }

void XuiContainer::SetBackground(HMODULE module, int resourceId) {
    mPrivate->background = XuiInnerSharedManager::FindSharedBitmap(module, resourceId);
}

void XuiContainer::SetBackgroundPieces(HMODULE module, int resourceId, const int margins[4]) {
    const XuiSharedImagePart image = XuiInnerSharedManager::FindSharedBitmap(module, resourceId);
    mPrivate->pieces = XuiInnerSharedManager::SplitImageNine(image, margins[0], margins[1], margins[2], margins[3]);
    for (int i = 0; i < 4; ++i) {
        mPrivate->pieceMargins[i] = margins[i];
        mPrivate->pieceMarginsSet[i] = true;
    }
}

std::vector<RECT> XuiContainer::NinePieceTargets(const RECT& target, int l, int t, int r, int b) {
    const int w = target.right - target.left;
    const int h = target.bottom - target.top;
    std::vector<RECT> rects = {{0, 0, l, t},     {l, 0, w - r, t},     {w - r, 0, w, t},
                               {0, t, l, h - b}, {l, t, w - r, h - b}, {w - r, t, w, h - b},
                               {0, h - b, l, h}, {l, h - b, w - r, h}, {w - r, h - b, w, h}};
    for (RECT& rect : rects) OffsetRect(&rect, target.left, target.top);
    return rects;
}

void XuiContainer::Paint(XuiPaintContext& context) {
    if (mPrivate->background) {
        XuiInnerSharedManager::DrawImagePart(context.graphics, Rect(), mPrivate->background);
    } else if (mPrivate->pieces.size() == 9) {
        const int* m = mPrivate->pieceMargins;
        const std::vector<RECT> targets = NinePieceTargets(Rect(), m[0], m[1], m[2], m[3]);
        for (size_t k = 0; k < 9; ++k) {
            // A target turned inside out (a panel smaller than its margins) is skipped rather than mirrored.
            if (targets[k].right <= targets[k].left || targets[k].bottom <= targets[k].top) continue;
            XuiInnerSharedManager::DrawImagePart(context.graphics, targets[k], mPrivate->pieces[k]);
        }
    }
    for (size_t i = 0; i < mChildren.size(); ++i) {
        if (mChildren[i]->IsVisible()) mChildren[i]->Paint(context);
    }
}

void XuiContainer::OnAttached(XuiContainer*) {
    for (XuiWidget* child : mChildren) {
        child->SetDialog(Dialog());
        child->InheritTextStyle(this);
    }
}

void XuiContainer::OnDetached() { RemoveAllChildren(); }

void XuiContainer::OnSetData(XuiScriptCall& call) {
    const RynString command = call.ArgString(2);
    if (command == L"Background") {
        const int module = call.ArgInteger(3);
        const int id = call.ArgInteger(4);
        SetBackground(reinterpret_cast<HMODULE>(static_cast<INT_PTR>(module)), id);
    } else if (command == L"BackgroundPieces") {
        const int module = call.ArgInteger(3);
        const int id = call.ArgInteger(4);
        int margins[4] = {0, 0, 0, 0};
        call.ArgIntArray(5, margins, 4);
        SetBackgroundPieces(reinterpret_cast<HMODULE>(static_cast<INT_PTR>(module)), id, margins);
    }
}

void XuiContainer::OnLoadXml(XuiXmlElement& element) {
    if (element.RunMode() != XuiXmlElement::kModeAdd) return;
    element.EnterElement();
    while (element.NextElement(nullptr)) {
        XuiWidget* child = XuiWidgetCreator::CreateWidgetFromXml(element);
        if (child == nullptr) continue;  // unknown type: skipped with all its content
        AddChild(child);
        child->LoadXmlAttributes(element);
    }
    element.LeaveElement();
}
