#include "appkit/views/KeyViewLoop.h"

#include <algorithm>

#include "appkit/controls/NSTextField.h"
#include "appkit/views/NSView.h"
#include "appkit/windows/NSWindow.h"

namespace {

void collect(NSView* view, std::vector<NSView*>& views) {
  if (view->isHidden()) return;
  if (view->acceptsFirstResponder()) views.push_back(view);
  for (const auto& subview : view->subviewList())
    collect(subview.get(), views);
}

} // namespace

std::vector<NSView*> NSWindowKeyViewLoop(const NSWindow* window) {
  std::vector<NSView*> views;
  if (!window || !window->contentView()) return views;
  collect(window->contentView(), views);
  std::stable_sort(views.begin(), views.end(), [](NSView* a, NSView* b) {
    const NSRect ra = a->convertRectToView(a->bounds(), nullptr);
    const NSRect rb = b->convertRectToView(b->bounds(), nullptr);
    if (NSMaxY(ra) != NSMaxY(rb)) return NSMaxY(ra) > NSMaxY(rb);
    return NSMinX(ra) < NSMinX(rb);
  });
  return views;
}

bool NSWindowSelectKeyView(NSWindow* window, NSView* from, bool forward) {
  const std::vector<NSView*> loop = NSWindowKeyViewLoop(window);
  if (loop.empty()) return false;
  auto position = std::find(loop.begin(), loop.end(), from);
  std::size_t next;
  if (position == loop.end()) {
    next = forward ? 0 : loop.size() - 1;
  } else {
    const std::size_t index = static_cast<std::size_t>(position - loop.begin());
    next = forward ? (index + 1) % loop.size() : (index + loop.size() - 1) % loop.size();
  }
  NSView* target = loop[next];
  // Tabbing onto the field that already has the focus selects its text again, as in AppKit.
  if (target == window->firstResponder()) {
    if (auto* field = ns_cast<NSTextField>(target)) field->selectText(nullptr);
    return true;
  }
  return window->makeFirstResponder(target);
}
