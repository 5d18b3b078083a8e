// NSColorPanel: the application's one shared colour panel, a floating panel titled "Colors".
//
// As in AppKit the panel sends its action to its target (neither retained nor copied) each time
// the user picks a colour, provided both are set; a colour set by the program (setColor) does
// not send it. The target and action stay set when the panel is closed. The panel is a panel,
// so NSApp's orderedWindows does not list it.
//
// On this platform the user picks through the testkit (User.pickColor), which calls pickColor
// as the panel's own controls would.
#pragma once

#include "appkit/drawing/NSColor.h"
#include "appkit/windows/NSPanel.h"

class JsonWriter;

class NSColorPanel : public NSPanel {
  NS_OBJECT_CLASS(NSColorPanel)

  // The shared panel, made (ordered out) on first request; it lives for the process.
  static NSColorPanel* sharedColorPanel();
  // Whether sharedColorPanel has been asked for yet; asking does not make the panel.
  static bool sharedColorPanelExists();

  // The current colour: opaque white until something else is chosen.
  NSColor* color() const { return color_; }
  // Shows color in the panel; the action is not sent. nil is ignored (AppKit would raise).
  void setColor(NSColor* color);

  NSObject* target() const { return target_; }
  void setTarget(NSObject* target) { target_ = target; }
  SEL action() const { return action_; }
  void setAction(SEL action) { action_ = action; }
  // The user chose color in the panel: it becomes the panel's colour, then the action goes to
  // the target. Returns whether a target received the action.
  bool pickColor(NSColor* color);

  // {"visible", "key", "color": [r,g,b,a], "hasTarget", "action"}, as the screen description
  // shows the panel.
  void describePanel(JsonWriter& json) const;

private:
  Ref<NSColor> color_;
  Weak<NSObject> target_; // not retained, as in AppKit
  SEL action_ = nullptr;
};
