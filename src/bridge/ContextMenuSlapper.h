// The action target of menu items, sheet buttons and the colour panel. Three of its actions
// report the user's choice to Java through ixa.Ixa.callNamedRunnable; the others configure it
// or only end the text-entry sheet. Instances are never released: menu items, buttons and the
// colour panel do not own their targets, and nothing else refers to them.
#pragma once

#include "Bridge.h"
#include "NSObject.h"

class NSTextField;

class BRIX_EXPORT ContextMenuSlapper : public NSObject {
  NS_OBJECT_CLASS(ContextMenuSlapper)

  ContextMenuSlapper* init() { return this; }

  // One-string upcall with the chosen item's represented object, after three diagnostic lines
  // on standard output.
  void clickContextMenuItem(NSObject* sender);
  // Keeps a retained copy of identity, replacing any earlier one.
  void setIdentity(NSString* identity);
  // Keeps the field without retaining it.
  void setTextField(NSTextField* textField);
  // Sends the identity and the field's text, then ends the text-entry sheet.
  void clickButton(NSObject* sender);
  // Sends "COLORCHANGED" and the panel's colour as "#RRGGBB".
  void colorChanged(NSObject* sender);
  // Ends the text-entry sheet; Java is not told.
  void clickCancelButton(NSObject* sender);

  NSString* identity() const { return _identity; }
  NSTextField* textField() const { return _textField; }

protected:
  std::span<const NSActionEntry> actionTable() const override;

private:
  NSTextField* _textField = nullptr;
  NSString* _identity = nullptr;
};

namespace brix {
// The colour text of colorChanged: each component times 255, truncated toward zero, in
// upper-case hexadecimal of at least two digits ("#FF7F00"; 1.1 gives 118).
NSString* colorTextFromComponents(double red, double green, double blue);
} // namespace brix
