#include "appkit/views/NSView.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "appkit/application/NSApplication.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/collections/NSArray.h"
#include "foundation/json/JsonWriter.h"
#include "foundation/system/NSLog.h"

NSView* NSView::initWithFrame(NSRect frame) {
  frame_ = frame;
  return this;
}

NSView::~NSView() {
  // Subviews outlive us only if someone else holds them; their superview reads as nil by
  // itself, and they are no longer part of any window.
  for (auto& subview : subviews_)
    subview->setWindowRecursively(nullptr);
}

// MARK: the view tree

NSArray* NSView::subviews() const {
  NSMutableArray* array = NSMutableArray::array();
  for (const auto& subview : subviews_)
    array->addObject(subview.get());
  return array;
}

void NSView::addSubview(NSView* view) {
  addSubview(view, NSWindowAbove, nullptr);
}

void NSView::addSubview(NSView* view, NSWindowOrderingMode place, NSView* otherView) {
  if (!view) return;
  if (view == this || isDescendantOf(view)) {
    NSLog("-[NSView addSubview:] refused: %@ cannot become a subview of itself or of its own "
          "descendant %@",
          view->description(), description());
    return;
  }
  Ref<NSView> protector(view); // removing it from its old superview may drop the last reference
  if (view->superview_) view->removeFromSuperview();

  view->viewWillMoveToSuperview(this);
  if (window_ != view->window_) view->viewWillMoveToWindow(window_);

  auto position = subviews_.end();
  if (otherView) {
    auto found = std::find(subviews_.begin(), subviews_.end(), otherView);
    if (found != subviews_.end()) position = place == NSWindowBelow ? found : found + 1;
  } else if (place == NSWindowBelow) {
    position = subviews_.begin();
  }
  subviews_.insert(position, protector);
  view->superview_ = this;
  view->setNextResponder(this);
  const bool windowChanges = view->window_ != window_;
  view->setWindowRecursively(window_);
  if (windowChanges) view->viewDidMoveToWindow();
  view->viewDidMoveToSuperview();
  didAddSubview(view);
  view->setNeedsDisplay(true);
}

void NSView::removeFromSuperview() {
  if (!superview_) return;
  Ref<NSView> protector(this);
  NSWindow* oldWindow = window_;
  if (oldWindow) oldWindow->viewWillLeave(this);
  superview_->willRemoveSubview(this);
  viewWillMoveToSuperview(nullptr);
  if (oldWindow) viewWillMoveToWindow(nullptr);
  if (oldWindow) oldWindow->setViewsNeedDisplay(true);
  detachFromSuperview();
  if (oldWindow) viewDidMoveToWindow();
  viewDidMoveToSuperview();
}

void NSView::detachFromSuperview() {
  NSView* parent = superview_;
  superview_ = nullptr;
  setNextResponder(nullptr);
  setWindowRecursively(nullptr);
  auto found = std::find(parent->subviews_.begin(), parent->subviews_.end(), this);
  if (found != parent->subviews_.end()) parent->subviews_.erase(found); // may release us
}

bool NSView::isDescendantOf(const NSView* view) const {
  if (!view) return false;
  for (const NSView* current = this; current; current = current->superview_)
    if (current == view) return true;
  return false;
}

void NSView::setWindowRecursively(NSWindow* window) {
  window_ = window;
  for (auto& subview : subviews_)
    subview->setWindowRecursively(window);
}

// MARK: visibility

void NSView::setHidden(bool flag) {
  if (hidden_ == flag) return;
  if (flag && window_) window_->viewWillLeave(this);
  hidden_ = flag;
  if (superview_) superview_->setNeedsDisplay(true);
}

bool NSView::isHiddenOrHasHiddenAncestor() const {
  for (const NSView* view = this; view; view = view->superview_)
    if (view->hidden_) return true;
  return false;
}

void NSView::setAlphaValue(CGFloat alpha) {
  if (std::isnan(alpha)) return;
  alphaValue_ = std::clamp<CGFloat>(alpha, 0, 1);
  setNeedsDisplay(true);
}

// MARK: display

void NSView::setNeedsDisplay(bool flag) {
  needsDisplay_ = flag;
  if (!flag || !window_) return;
  window_->setViewsNeedDisplay(true);
  window_->invalidatePictureRect(convertRectToView(bounds(), nullptr));
}

void NSView::display() {
  if (!window_) return;
  Ref<NSView> protector(this);
  window_->drawViews([this] { displayPass(true); });
}

void NSView::displayIfNeeded() {
  if (!window_) return;
  Ref<NSView> protector(this);
  window_->drawViews([this] { displayPass(false); });
}

void NSView::displayPass(bool force) {
  if (hidden_) return;
  const bool drawSelf = force || needsDisplay_;
  if (drawSelf) {
    needsDisplay_ = false;
    ++displayCount_;
    NSAppearanceDrawingScope appearance(effectiveAppearance());
    drawRect(bounds());
  }
  // drawRect may change the tree; walk a snapshot that keeps the subviews alive.
  const std::vector<Ref<NSView>> snapshot = subviews_;
  for (const auto& subview : snapshot)
    if (subview->superview_ == this) subview->displayPass(drawSelf);
}

void NSView::drawRect(NSRect) {}

// MARK: layer

bool NSView::isLayerBacked() const {
  for (const NSView* view = this; view; view = view->superview_)
    if (view->wantsLayer_) return true;
  return window_ && (window_->styleMask() & NSWindowStyleMaskFullSizeContentView);
}

CALayer* NSView::layer() {
  if (!isLayerBacked()) {
    layer_ = nullptr; // AppKit drops the backing layer when a view stops being layer-backed
    return nullptr;
  }
  if (!layer_) {
    layer_ = adopted(CALayer::alloc());
    layer_->setDelegate(this);
  }
  return layer_;
}

// MARK: appearance

void NSView::setAppearance(NSAppearance* appearance) {
  appearance_ = retained(appearance);
  setNeedsDisplay(true);
}

NSAppearance* NSView::effectiveAppearance() const {
  for (const NSView* view = this; view; view = view->superview_)
    if (view->appearance_) return view->appearance_;
  if (window_) return window_->effectiveAppearance();
  return NSApplication::sharedApplication()->effectiveAppearance();
}

// MARK: key equivalents

bool NSView::performKeyEquivalent(NSEvent* event) {
  if (hidden_) return false;
  const std::vector<Ref<NSView>> snapshot = subviews_;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
    if ((*it)->superview_ == this && (*it)->performKeyEquivalent(event)) return true;
  return false;
}

// MARK: description

void NSView::describe(JsonWriter& json) const {
  json.beginObject();
  json.field("class", className());
  json.key("frame");
  json.rect(frame_);
  json.field("autoresizingMask", static_cast<unsigned long>(autoresizingMask_));
  json.field("hidden", hidden_);
  describeFields(json);
  json.key("subviews");
  json.beginArray();
  for (const auto& subview : subviews_)
    subview->describe(json);
  json.endArray();
  json.endObject();
}

void NSView::describeFields(JsonWriter& json) const {
  json.key("layerBackgroundColor");
  NSColor* color = layer_ && isLayerBacked() ? layer_->backgroundNSColor() : nullptr;
  if (!color) return json.null();
  const NSColor::RGBA rgba = color->displayRGBA();
  json.beginArray();
  json.number(rgba.red);
  json.number(rgba.green);
  json.number(rgba.blue);
  json.number(rgba.alpha);
  json.endArray();
}
