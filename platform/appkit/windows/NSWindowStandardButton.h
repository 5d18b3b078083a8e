// NSWindowStandardButton: one of the title-bar buttons of a titled window (close, miniaturize,
// zoom). It lives in the window's frame view; a click on an enabled close button closes the
// window. Its look is in appkit/look.
#pragma once

#include "appkit/views/NSView.h"

class NSWindowStandardButton : public NSView {
  NS_OBJECT_CLASS(NSWindowStandardButton)

  NSWindowStandardButton* initWithType(NSWindowButton type);

  NSWindowButton buttonType() const { return type_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool flag);
  // Whether the pointer is pressed inside the button (drawn highlighted).
  bool isHighlighted() const { return highlighted_; }

  void mouseDown(NSEvent* event) override;
  void mouseDragged(NSEvent* event) override;
  void mouseUp(NSEvent* event) override;
  void drawRect(NSRect dirtyRect) override;
  void describeFields(JsonWriter& json) const override;

private:
  NSWindowButton type_ = NSWindowCloseButton;
  bool enabled_ = true;
  bool highlighted_ = false;

  bool eventIsInside(NSEvent* event) const;
};
