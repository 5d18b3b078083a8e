#include "bridge/ContextMenuSlapper.h"

#include <cmath>
#include <cstdio>

#include "appkit/controls/NSTextField.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/menus/NSMenuItem.h"
#include "appkit/panels/NSColorPanel.h"
#include "appkit/views/NSView.h"
#include "appkit/windows/NSWindow.h"
#include "bridge/Upcall.h"
#include "dialogs/SheetGlobals.h"

namespace {

// Prints the class and method lines of clickContextMenuItem: as each lookup is made.
class DiagnosticLines final : public brix::UpcallObserver {
public:
  void classFound(jclass ixa) const override {
    std::printf(" CLASS: %p\n", static_cast<void*>(ixa));
  }
  void methodFound(jmethodID method) const override {
    std::printf(" METHORD %p\n", static_cast<void*>(method));
  }
};

// Truncation toward zero as the C conversion does it, with the result x86-64 gives for values
// that do not fit (instead of undefined behaviour).
int truncatedComponent(double component) {
  const double scaled = component * 255.0;
  if (std::isnan(scaled) || scaled >= 2147483648.0 || scaled <= -2147483649.0) return INT32_MIN;
  return static_cast<int>(scaled);
}

// The key under which an object keeps its action target alive.
const char kOwnedTargetKey = 0;

// Ends the sheet whose button was pressed: the button's own window, on the window it is attached
// to. A sheet shown meanwhile (by the accepting handler, say) has named itself in the globals and
// stays up for its own answer; a sheet that has already gone has nothing left to end.
void endTextEntrySheet(NSObject* sender) {
  auto* button = ns_cast<NSView>(sender);
  NSWindow* sheet = button ? button->window() : brix::_textEntryWindow.get();
  NSWindow* parent = sheet ? sheet->sheetParent() : nullptr;
  if (parent) parent->endSheet(sheet);
}

} // namespace

namespace brix {

NSString* colorTextFromComponents(double red, double green, double blue) {
  return NSString::stringWithFormat("#%02X%02X%02X", truncatedComponent(red),
                                    truncatedComponent(green), truncatedComponent(blue));
}

} // namespace brix

std::span<const NSActionEntry> ContextMenuSlapper::actionTable() const {
  static const NSActionEntry table[] = {
      {sel("clickContextMenuItem:"),
       [](NSObject* self, NSObject* sender) {
         static_cast<ContextMenuSlapper*>(self)->clickContextMenuItem(sender);
       }},
      {sel("clickButton:"),
       [](NSObject* self, NSObject* sender) {
         static_cast<ContextMenuSlapper*>(self)->clickButton(sender);
       }},
      {sel("colorChanged:"),
       [](NSObject* self, NSObject* sender) {
         static_cast<ContextMenuSlapper*>(self)->colorChanged(sender);
       }},
      {sel("clickCancelButton:"),
       [](NSObject* self, NSObject* sender) {
         static_cast<ContextMenuSlapper*>(self)->clickCancelButton(sender);
       }},
  };
  return table;
}

void ContextMenuSlapper::clickContextMenuItem(NSObject* sender) {
  std::printf(" ENV: %p\n", static_cast<void*>(brix::_env));
  auto* item = ns_cast<NSMenuItem>(sender);
  // Only a string can name an action; an item without one sends nothing.
  auto* identity = item ? ns_cast<NSString>(item->representedObject()) : nullptr;
  if (identity) {
    const DiagnosticLines lines;
    brix::callNamedRunnable(identity, &lines);
  }
  // Standard output is fully buffered when it is not a terminal; the lines belong together
  // with whatever Java prints in the action.
  std::fflush(stdout);
}

ContextMenuSlapper* ContextMenuSlapper::targetOwnedBy(NSObject* owner) {
  ContextMenuSlapper* target = alloc()->init();
  if (!owner) return static_cast<ContextMenuSlapper*>(target->autorelease());
  owner->setAssociatedObject(&kOwnedTargetKey, Ref<NSObject>::adopt(target));
  return target;
}

void ContextMenuSlapper::setIdentity(NSString* identity) {
  _identity = retained(NSString::stringWithString(identity));
}

void ContextMenuSlapper::setTextField(NSTextField* textField) {
  _textField = textField;
}

void ContextMenuSlapper::clickButton(NSObject* sender) {
  NSString* text = _textField ? _textField->stringValue() : nullptr;
  brix::callNamedRunnable(_identity, text);
  endTextEntrySheet(sender);
}

void ContextMenuSlapper::colorChanged(NSObject* sender) {
  auto* panel = ns_cast<NSColorPanel>(sender);
  NSColor* color = panel ? panel->color() : nullptr;
  // A grey or catalogue colour has no red, green and blue of its own; read them from its RGB
  // equivalent.
  if (color && color->numberOfComponents() != 4)
    color = color->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  if (!color) return;
  brix::callNamedRunnable(NSSTR("COLORCHANGED"), brix::colorTextFromComponents(
                                                     color->redComponent(), color->greenComponent(),
                                                     color->blueComponent()));
}

void ContextMenuSlapper::clickCancelButton(NSObject* sender) {
  endTextEntrySheet(sender);
}
