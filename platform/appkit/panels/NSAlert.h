// NSAlert: a message with an icon, an informative text, an optional accessory view and buttons,
// run as an application-modal panel (runModal) or as a sheet of a window.
//
// A new alert has the warning style and shows the application's icon (setIcon(nil) restores
// it). Buttons are numbered by the order in which they were added: their tags, which are also
// the codes runModal returns, are 1000, 1001, 1002 and on. Key equivalents follow AppKit: the
// first button takes Return, a later button titled "Cancel" takes Escape, a later "Don't Save"
// takes Command-D. An alert run without buttons gets a single "OK" button. runModal is a nested
// loop of the main run loop, ended by the pressed button's tag through stopModalWithCode.
//
// Sections of the implementation: NSAlert.cpp (model, running, description), NSAlertLayout.cpp
// (the panel's layout).
#pragma once

#include <functional>
#include <vector>

#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/drawing/NSImage.h"
#include "appkit/panels/NSAlertPanel.h"

class JsonWriter;
#include "appkit/controls/NSImageView.h"

enum NSAlertStyle : NSUInteger {
  NSAlertStyleWarning = 0,
  NSAlertStyleInformational = 1,
  NSAlertStyleCritical = 2,
};

class NSAlert : public NSObject {
  NS_OBJECT_CLASS(NSAlert)

  NSAlert* init();
  ~NSAlert() override;

  // MARK: content
  NSString* messageText() const { return messageText_; }
  void setMessageText(const NSString* text); // copied; nil is ""
  NSString* informativeText() const { return informativeText_; }
  void setInformativeText(const NSString* text);
  NSAlertStyle alertStyle() const { return style_; }
  void setAlertStyle(NSAlertStyle style);
  // The icon shown: the one set, else the application's icon.
  NSImage* icon() const;
  // nil restores the application's icon.
  void setIcon(NSImage* icon);
  bool hasCustomIcon() const { return icon_ != nullptr; }
  NSView* accessoryView() const { return accessoryView_; }
  void setAccessoryView(NSView* view);

  // MARK: buttons
  // Appends a button with the next tag and AppKit's automatic key equivalent. A nil title is
  // refused with a log line (AppKit raises) and gives nil.
  NSButton* addButtonWithTitle(const NSString* title);
  const std::vector<Ref<NSButton>>& buttonList() const { return buttons_; }

  // MARK: running
  // The alert's panel, made with the alert.
  NSAlertPanel* window() const { return panel_; }
  // Places the icon, texts, accessory view and buttons, and sizes the panel to fit them.
  void layout();
  // Shows the panel centred on the screen and serves the main run loop until a button ends it;
  // returns that button's tag (or the code another stopModalWithCode gave).
  NSModalResponse runModal();
  // Presents the alert as a sheet of window and returns at once; the handler gets the pressed
  // button's tag when the sheet ends.
  void beginSheetModalForWindow(NSWindow* window, std::function<void(NSModalResponse)> handler);
  // The action of the alert's buttons.
  void buttonPressed(NSObject* sender);

  // MARK: description
  // {"window", "messageText", "informativeText", "alertStyle", "icon", "buttons",
  //  "accessoryView"}, as the testkit describes an alert.
  void describe(JsonWriter& json) const;

protected:
  std::span<const NSActionEntry> actionTable() const override;

private:
  Ref<NSString> messageText_;
  Ref<NSString> informativeText_;
  NSAlertStyle style_ = NSAlertStyleWarning;
  Ref<NSImage> icon_;
  Ref<NSView> accessoryView_;
  std::vector<Ref<NSButton>> buttons_;
  Ref<NSAlertPanel> panel_;
  Ref<NSImageView> iconView_;
  Ref<NSImageView> badgeView_;
  Ref<NSTextField> messageField_;
  Ref<NSTextField> informativeField_;
  Weak<NSWindow> sheetParent_;
  std::function<void(NSModalResponse)> sheetHandler_;

  void prepareToShow();
  // Puts the panel where runModal shows it.
  void placePanel();
};
