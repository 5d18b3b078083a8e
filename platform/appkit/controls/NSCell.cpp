#include "appkit/controls/NSCell.h"

#include <map>
#include <mutex>

#include "appkit/windows/NSWindow.h"

namespace {

// Keyed by window number, which is never reused, so a closed window's entry cannot be mistaken
// for a new window's. Entries of closed windows are dropped as they are found.
// Immortal: releasing the cells at exit would run against objects the main thread may still use.
std::map<NSInteger, Ref<NSButtonCell>>& defaultButtonCells() {
  static auto* const cells = new std::map<NSInteger, Ref<NSButtonCell>>();
  return *cells;
}

} // namespace

void NSWindowSetDefaultButtonCell(NSWindow* window, NSButtonCell* cell) {
  if (!window) return;
  auto& cells = defaultButtonCells();
  for (auto it = cells.begin(); it != cells.end();)
    it = it->second && !it->second->controlView() ? cells.erase(it) : std::next(it);
  if (cell)
    cells[window->windowNumber()] = retained(cell);
  else
    cells.erase(window->windowNumber());
}

NSButtonCell* NSWindowDefaultButtonCell(const NSWindow* window) {
  if (!window) return nullptr;
  auto& cells = defaultButtonCells();
  auto found = cells.find(window->windowNumber());
  return found == cells.end() ? nullptr : found->second.get();
}
