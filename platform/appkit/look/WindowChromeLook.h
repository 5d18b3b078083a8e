// The look of window chrome: the frame view's background and title bar, the close, miniaturize
// and zoom buttons, and the title, after current macOS in its light appearance. NSThemeFrame and
// NSWindowStandardButton draw themselves with these functions in their drawRect; the title is
// drawn separately, above the window's views, because a full-size content view covers
// the title bar while the title stays readable on top of it.
#pragma once

class NSThemeFrame;
class NSWindow;
class NSWindowStandardButton;

// Whether the window draws a title bar: titled, not attached as a sheet, not full screen.
bool NSWindowShowsTitleBar(const NSWindow* window);
// Draws the frame view: the window's background and, for a window that shows one, its title bar
// (bounds of the view, current context).
void NSDrawThemeFrame(const NSThemeFrame* frameView);
// Draws a title-bar button: its coloured circle, grey when the window is inactive.
void NSDrawStandardButton(const NSWindowStandardButton* button);
// Draws the window's title centred in its title bar, in window coordinates (current context).
void NSDrawWindowTitle(const NSWindow* window);
// Corner radius of the window's outline on screen (0 for plain borderless windows).
double NSWindowCornerRadius(const NSWindow* window);
