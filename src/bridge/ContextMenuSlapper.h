// The action target of menu items, sheet buttons and the colour panel. Three of its actions
// report the user's choice to Java through ixa.Ixa.callNamedRunnable; the others configure it
// or only end the text-entry sheet. Menu items, buttons and the colour panel do not retain their
// targets, so each target is tied to the object that uses it (targetOwnedBy) and goes with it.
#pragma once

#include "bridge/Export.h"
#include "foundation/runtime/NSObject.h"
#include "foundation/strings/NSString.h"

class NSTextField;

class BRIX_EXPORT ContextMenuSlapper : public NSObject {
  NS_OBJECT_CLASS(ContextMenuSlapper)

  ContextMenuSlapper* init() { return this; }
  // A new target that lives exactly as long as owner (a menu item, a sheet window, the colour
  // panel), or until owner takes another target the same way.
  static ContextMenuSlapper* targetOwnedBy(NSObject* owner);

  // One-string upcall with the chosen item's represented object, after three diagnostic lines
  // on standard output.
  void clickContextMenuItem(NSObject* sender);
  // Keeps a retained copy of identity, replacing any earlier one.
  void setIdentity(NSString* identity);
  // Keeps the field without retaining it.
  void setTextField(NSTextField* textField);
  // Sends the identity and the field's text, then ends the sheet the pressed button is in (with
  // no button, the named text-entry sheet).
  void clickButton(NSObject* sender);
  // Sends "COLORCHANGED" and the panel's colour as "#RRGGBB".
  void colorChanged(NSObject* sender);
  // Ends the sheet the pressed button is in, as clickButton does; Java is not told.
  void clickCancelButton(NSObject* sender);

  NSString* identity() const { return _identity.get(); }
  NSTextField* textField() const { return _textField.get(); }

protected:
  std::span<const NSActionEntry> actionTable() const override;

private:
  Weak<NSTextField> _textField;
  Ref<NSString> _identity;
};

namespace brix {
// The colour text of colorChanged: each component times 255, truncated toward zero, in
// upper-case hexadecimal of at least two digits ("#FF7F00"; 1.1 gives 118).
NSString* colorTextFromComponents(double red, double green, double blue);
} // namespace brix
