// MenuUser: what the simulated user does with menus (ixa.testkit.User's menu methods).
//
// Callable from any thread. The look at the menus runs on the main thread through the main run
// loop, which also serves it inside an open menu's tracking loop; a shortcut goes in as real
// key events through the key window and the menu bar.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "testkit/SimulatedUser.h"

class NSMenu;

namespace MenuUser {
// The context menu that most recently started tracking (open or not since), as the menus'
// tracking notifications tell; kept until the next one starts; nil when none has. Main thread
// only.
NSMenu* lastContextMenu();
// Chooses the item that the titles name: in the open context menu (the first title names one of
// its items, the rest descend into submenus); with none open, in the main menu, where the first
// title names an item of one of the menu bar's menus (searched left to right). An item that an
// open menu taller than the screen has scrolled out of view is first brought into view with the
// wheel over that menu, as a person would. Waits for the item up to the limit; false when it is
// missing or disabled by then.
bool chooseMenuItem(const std::vector<std::u16string>& titlePath,
                    std::chrono::milliseconds limit = SimulatedUser::kDefaultLimit);
// Dismisses the open context menu, if any.
void dismissMenu(std::chrono::milliseconds limit = SimulatedUser::kDefaultLimit);
// Presses key (any name SimulatedUser::pressKey takes, such as "Escape" or "Left", or a character
// such as ",") with modifiers ("command", "shift", "option", "control"; names ignore case). A
// letter types its lower-case character, Shift being in the flags. Unknown names:
// SimulatedUserError BadArgument, in the words pressKey uses.
void pressShortcut(const std::u16string& key, const std::vector<std::u16string>& modifiers,
                   std::chrono::milliseconds limit = SimulatedUser::kDefaultLimit);
} // namespace MenuUser
