package ixa.testkit;

import ixa.internal.NativeLibraries;

/**
 * The simulated user: presses buttons, clicks, types and presses keys through the same event
 * path that real input takes (hit-testing, the first responder, key equivalents, target and
 * action).
 *
 * <p>Every method may be called from any thread. The look at the screen is handed to the main
 * run loop, which serves it also inside modal loops (an alert's {@code runModal}); the input is
 * then queued as real input is, and the call returns once the main thread has taken it. When
 * the main thread does not serve the call within 10 seconds, the caller gets an {@link
 * IllegalStateException}. A method that names a target waits up to the same limit for it to
 * appear. A null argument gives a {@link NullPointerException}.
 */
public final class User {
  static {
    NativeLibraries.load(User.class, "brixtestkit");
  }

  private User() {}

  /**
   * Clicks the enabled button with exactly this title in the front-most alert, sheet or window.
   *
   * @param title the button's title
   * @return true when the button was clicked; false when no such button appeared within 10
   *     seconds
   */
  public static native boolean pressButton(String title);

  /**
   * Clicks at a point of the window, in its coordinates (points, origin at the window's
   * lower-left corner). An unknown window gives an {@link IllegalArgumentException}.
   *
   * @param window the window's number
   * @param x the point's distance from the window's left edge
   * @param y the point's distance from the window's bottom edge
   */
  public static native void click(int window, double x, double y);

  /**
   * Types the text into the key window's first responder, one key press per character.
   *
   * @param text what to type; any characters, supplementary ones included
   */
  public static native void type(String text);

  /**
   * Presses one key: "Return", "Enter", "Escape", "Tab", "Backspace", "Delete", "Left",
   * "Right", "Up", "Down", "Home", "End", "Space" (names ignore case), or a single character
   * such as ",". Anything else gives an {@link IllegalArgumentException}.
   *
   * @param key the key's name or character
   */
  public static native void pressKey(String key);

  /**
   * Clicks into the index-th editable text field (in view-tree order) of the front-most alert,
   * sheet or window; {@link IllegalStateException} when it does not appear within 10 seconds.
   *
   * @param index the field's index, from 0
   */
  public static native void focusField(int index);

  /**
   * Picks the colour in the shared colour panel, as a click on it there would: the panel takes
   * the colour and sends its action to its target. Each component is from 0 to 1 (wide-gamut
   * colours up to 255 are accepted); anything else gives an {@link IllegalArgumentException}.
   * {@link IllegalStateException} when the panel is not on screen within 10 seconds.
   *
   * @param red the red component
   * @param green the green component
   * @param blue the blue component
   */
  public static native void pickColor(double red, double green, double blue);

  /**
   * Chooses the menu item the titles name: in the open context menu (the first title names one
   * of its items, the rest descend into submenus); with none open, in the main menu, where the
   * first title names an item of one of the menu bar's menus (the application menu first). Waits
   * up to 10 seconds for the item. The item's action runs as a click on it would run it (for
   * the library's menus: the item's identity reaches {@link ixa.Ixa#callNamedRunnable} on the
   * platform's main thread).
   *
   * @param titlePath the titles from the menu's top level down to the item
   * @return true when the item was chosen; false when it is missing or disabled by then
   */
  public static native boolean chooseMenuItem(String... titlePath);

  /**
   * Dismisses the open context menu, as a click outside it would; the native call that showed it
   * returns. Does nothing when no context menu is open.
   */
  public static native void dismissMenu();

  /**
   * Presses a key with modifiers ("command", "shift", "option", "control"), as a real key event
   * through the key window and the menu bar, e.g. {@code pressShortcut(",", "command")}.
   *
   * @param key the key, as for {@link #pressKey}
   * @param modifiers the modifiers held while it is pressed
   */
  public static native void pressShortcut(String key, String... modifiers);
}
