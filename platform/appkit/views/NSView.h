// NSView: a rectangle in a window's view tree. A view retains its subviews (ordered back to
// front) and knows its superview and window without retaining them. Geometry follows AppKit:
// the frame is in the superview's coordinates, the bounds in the view's own, origin at the lower
// left unless the view is flipped. Resizing a view resizes its subviews by their autoresizing
// masks, sharing a size change among the flexible parts in proportion to their sizes.
//
// Sections of the implementation: NSView.cpp (tree, visibility, display, layer, description),
// NSViewGeometry.cpp (frames, autoresizing, coordinate conversion, hit testing).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "appkit/application/AppKitConstants.h"
#include "appkit/application/NSResponder.h"
#include "appkit/drawing/NSAppearance.h"
#include "appkit/views/CALayer.h"

class JsonWriter;
class NSArray;
class NSWindow;

class NSView : public NSResponder {
  NS_OBJECT_CLASS(NSView)

  virtual NSView* initWithFrame(NSRect frame);
  ~NSView() override;

  // MARK: geometry
  NSRect frame() const { return frame_; }
  virtual void setFrame(NSRect frame);
  void setFrameOrigin(NSPoint origin);
  void setFrameSize(NSSize size);
  // The bounds have the frame's size; only their origin can be moved.
  NSRect bounds() const { return {boundsOrigin_, frame_.size}; }
  virtual bool isFlipped() const { return false; }

  // MARK: the view tree
  NSView* superview() const { return superview_; }
  // The subviews, back to front, as an autoreleased array.
  NSArray* subviews() const;
  const std::vector<Ref<NSView>>& subviewList() const { return subviews_; }
  // Appends view above its siblings; a view with another superview is removed from it first.
  // nil, the receiver itself and its ancestors are refused (AppKit raises for those).
  void addSubview(NSView* view);
  void addSubview(NSView* view, NSWindowOrderingMode place, NSView* otherView);
  void removeFromSuperview();
  bool isDescendantOf(const NSView* view) const;
  NSWindow* window() const { return window_; }
  virtual NSInteger tag() const { return -1; }

  // Hooks for subclasses, called as AppKit calls them.
  virtual void viewWillMoveToWindow(NSWindow*) {}
  virtual void viewDidMoveToWindow() {}
  virtual void viewWillMoveToSuperview(NSView*) {}
  virtual void viewDidMoveToSuperview() {}
  virtual void didAddSubview(NSView*) {}
  virtual void willRemoveSubview(NSView*) {}

  // MARK: autoresizing
  NSAutoresizingMaskOptions autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(NSAutoresizingMaskOptions mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool flag) { autoresizesSubviews_ = flag; }
  virtual void resizeSubviewsWithOldSize(NSSize oldSize);
  virtual void resizeWithOldSuperviewSize(NSSize oldSize);

  // MARK: visibility
  bool isHidden() const { return hidden_; }
  virtual void setHidden(bool flag);
  bool isHiddenOrHasHiddenAncestor() const;
  CGFloat alphaValue() const { return alphaValue_; }
  void setAlphaValue(CGFloat alpha);

  // MARK: display
  // setNeedsDisplay marks the whole view dirty; the next display pass (at the end of a run-loop
  // turn, or displayIfNeeded) draws it. display draws the view and its subviews now;
  // displayIfNeeded draws only dirty views (with everything inside them). Views draw only while
  // they are in a window.
  bool needsDisplay() const { return needsDisplay_; }
  void setNeedsDisplay(bool flag);
  void display();
  void displayIfNeeded();
  virtual void drawRect(NSRect dirtyRect);
  // How many times a display pass has drawn this view.
  unsigned long displayCount() const { return displayCount_; }

  // MARK: layer
  // A view is layer-backed when it or an ancestor wants a layer, or its window has a full-size
  // content view; then layer() gives its layer (made on first use), otherwise nil.
  bool wantsLayer() const { return wantsLayer_; }
  void setWantsLayer(bool flag) { wantsLayer_ = flag; }
  bool isLayerBacked() const;
  CALayer* layer();

  // MARK: appearance
  // nil (the default) means the appearance is inherited from the superview, then the window.
  NSAppearance* appearance() const { return appearance_; }
  void setAppearance(NSAppearance* appearance);
  NSAppearance* effectiveAppearance() const;

  // MARK: coordinates and hit testing
  // A nil view stands for the window's coordinate system.
  NSPoint convertPointFromView(NSPoint point, const NSView* view) const;
  NSPoint convertPointToView(NSPoint point, const NSView* view) const;
  NSRect convertRectToView(NSRect rect, const NSView* view) const;
  // The front-most visible descendant (or the receiver) under a point given in the superview's
  // coordinates; nil when the point is outside or the view is hidden.
  virtual NSView* hitTest(NSPoint point);
  bool mouseInRect(NSPoint point, NSRect rect) const;
  // Whether the pointer turns into the I-beam over the view, as it does over text one can select
  // (AppKit's cursor rectangles, reduced to the one shape besides the arrow that we show).
  virtual bool showsTextPointer() const { return false; }
  // Whether a click on the view makes it first responder when it accepts that (a button, which
  // the keyboard reaches through Tab, does not: a click keeps the focus where it was).
  virtual bool becomesFirstResponderOnClick() const { return true; }

  // Key equivalents go to the subviews, front to back, until one handles the event.
  bool performKeyEquivalent(NSEvent* event) override;

  // MARK: description for the testkit
  // Writes this view as a JSON object: the common fields, then describeFields, then subviews.
  void describe(JsonWriter& json) const;
  // Subclasses add their own fields here (and call the superclass's first).
  virtual void describeFields(JsonWriter& json) const;

private:
  friend class NSWindow;

  NSRect frame_;
  NSPoint boundsOrigin_;
  Weak<NSView> superview_;
  Weak<NSWindow> window_;
  std::vector<Ref<NSView>> subviews_;
  NSAutoresizingMaskOptions autoresizingMask_ = NSViewNotSizable;
  bool autoresizesSubviews_ = true;
  bool hidden_ = false;
  CGFloat alphaValue_ = 1;
  bool needsDisplay_ = false;
  unsigned long displayCount_ = 0;
  bool wantsLayer_ = false;
  Ref<CALayer> layer_;
  Ref<NSAppearance> appearance_;

  void setWindowRecursively(NSWindow* window);
  void detachFromSuperview();
  void displayPass(bool force);
  NSPoint pointToSuperview(NSPoint point) const;
  NSPoint pointFromSuperview(NSPoint point) const;
  NSPoint pointToWindow(NSPoint point) const;
  NSPoint pointFromWindow(NSPoint point) const;
};
