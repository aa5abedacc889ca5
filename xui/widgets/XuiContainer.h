// A widget that holds child widgets: it paints them back to front in insertion order, lays them out, hit-tests
// them front to back, finds them by name, gives them their tab order, and paints an optional background (one
// stretched image, or a nine-piece frame cut from one image). Every dialog owns one as its root; scripts and
// layout documents make more as panels.
//
// UI thread only. Owns its children from AddChild until a removal hands them to the toolkit's deferred deletion;
// owns its background image parts (shared with the image cache).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "XuiInnerSharedBitmap.h"
#include "XuiWidget.h"

class XuiContainer : public XuiWidget {
public:
    XuiContainer();
    ~XuiContainer() override;

    // Appends to the paint order, registers the name, sets parent and dialog, inherits the text style (and so
    // calls the child's OnAttached). No layout pass, no redraw.
    void AddChild(XuiWidget* widget);
    // The child registered under name, detached and queued for deletion after the current message; null when
    // the name is unknown.
    XuiWidget* RemoveChild(const ryn::RynString& name);
    // Detaches and queues every child.
    void RemoveAllChildren();
    // By exact name; when recursive, then depth first through the child containers.
    XuiWidget* FindChild(const ryn::RynString& name, bool recursive) const;
    // The front-most visible, enabled child at point (client coordinates), descending into child containers;
    // this container when only its own rectangle holds the point; else null.
    XuiWidget* HitTest(POINT point);
    void LayoutChildren();
    // The visible, enabled tab stop with the smallest number (greater than after, for NextTabStop), searched
    // through child containers too; the first in child order wins a tie.
    XuiWidget* FirstTabStop() const;
    XuiWidget* NextTabStop(int after) const;

    void SetBackground(HMODULE module, int resourceId);
    void SetBackgroundPieces(HMODULE module, int resourceId, const int margins[4]);
    // Target rectangles of the nine pieces in target, corners 1:1, edges stretched along one axis.
    static std::vector<RECT> NinePieceTargets(const RECT& target, int left, int top, int right, int bottom);

    const std::vector<XuiWidget*>& Children() const { return mChildren; }

    bool IsContainer() const override;
    bool IsInteractive() const override;
    void OnSetData(XuiScriptCall& call) override;
    void OnLoadXml(XuiXmlElement& element) override;
    void OnAttached(XuiContainer* parent) override;
    void OnDetached() override;
    void Paint(XuiPaintContext& context) override;
    void OnLayout() override;

private:
    XuiWidget* BestTabStop(bool bounded, int after) const;
    void Detach(XuiWidget* widget);

    struct Private {
        std::vector<XuiWidget*> children;
        std::map<std::wstring, XuiWidget*> byName;
        std::vector<XuiWidget*> childContainers;
        XuiSharedImagePart background;
        int pieceMargins[4] = {0, 0, 0, 0};
        bool pieceMarginsSet[4] = {false, false, false, false};
        std::vector<XuiSharedImagePart> pieces;
    };
    Private* mPrivate;
    std::vector<XuiWidget*>& mChildren;
};
