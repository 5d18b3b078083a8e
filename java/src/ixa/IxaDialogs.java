package ixa;

/**
 * The native dialogs, menus and window services of the application.
 *
 * <h2>Threads</h2>
 *
 * <p>The native platform runs a main thread of its own, started when the library is first used
 * and attached to the JVM as a daemon thread named "Brix Main Thread" (it shows in thread
 * dumps). Every window, alert, sheet and menu lives on it, and it serves their events for as long
 * as the process runs. Any thread may call these methods: the program's main thread, Swing's
 * event dispatch thread, a worker. The call is carried out on the platform's main thread while
 * the calling thread waits, and its result comes back to the caller. A modal alert or a context
 * menu keeps its caller waiting until it is answered; other threads' calls are served meanwhile.
 *
 * <p>Swing's event dispatch thread waits as it does for a modal {@code JDialog}: it keeps serving
 * Swing's events (an AWT secondary loop), so the application's windows repaint and a handler may
 * use {@code SwingUtilities.invokeAndWait}. While an alert ({@link #showMacDialog}, {@link
 * #show3ButtonMacDialog}, {@link #showMacTextEntryDialog}) or a context menu is up, whichever
 * thread showed it, the application's AWT windows keep painting but take no clicks or keys, as on
 * macOS (an event queue the library pushes onto AWT's drops their input events meanwhile; an
 * application that pushes its own event queue afterwards takes that over itself).
 *
 * <p>The handlers registered with {@link Ixa#register} run on the platform's main thread, with the
 * context class loader of the thread whose call they serve (between calls, the loader of this
 * class). A handler may call these methods again (they run at once there). An exception a handler
 * throws reaches the caller of the method whose work or modal loop ran it (the call that showed
 * the context menu, the alert during which a colour was picked), and no other caller; when no
 * call was running (a sheet's button pressed later), it is printed and logged like an uncaught
 * exception.
 *
 * <p>{@link #runCommandAsNSTask} and {@link #getMiscMacInfo} touch no window and run on the
 * calling thread, so that a long shell command never freezes the windows.
 *
 * <h2>Without a screen</h2>
 *
 * <p>Windows appear on the X server that {@code DISPLAY} names. With none ({@code DISPLAY} not
 * set, a server that cannot be reached or that went away), every method that shows or changes a
 * window throws {@link java.awt.HeadlessException} at once, naming what was tried, as AWT's own
 * windows do; nothing waits for an answer nobody can give. {@link #runCommandAsNSTask}, {@link
 * #getMiscMacInfo}, {@link #renderMacButton}, {@link #setAsAppStore} and {@link #relaunchThyself}
 * need no screen and go on working. Tests choose the simulated display with {@code
 * BRIX_DISPLAY=headless}; with the testkit loaded it also stands in for a missing X server.
 *
 * <p>Once the JVM has begun to exit (shutdown hooks running, {@code System.exit} called on any
 * thread), every other method returns its neutral answer at once (0 for the alerts, null for
 * {@link #showMacTextEntryDialog}, 1 for the rest) and logs one line, so that a shutdown hook
 * cannot hang the exit.
 *
 * <h2>The one wait that cannot be rescued</h2>
 *
 * <p>While a handler runs, the platform's main thread serves nothing else. A handler that waits
 * for a thread that is itself waiting in one of these methods can never go on. Swing's thread is
 * safe (it serves events while it waits), and so is a lock: when the JVM shows the handler
 * blocked on a monitor or lock that the waiting caller holds, the caller stops waiting after
 * about a second, the situation is logged, and the call throws {@link IllegalStateException},
 * which frees the handler (the call's own work goes on and its answer is dropped). A handler that
 * waits in another way (a latch, a future, {@code Thread.join}) for a worker that is waiting in
 * one of these methods is not recognised: do not wait in a handler for a thread that may call
 * this class. A handler that merely takes long holds up other calls but never fails them.
 */
public final class IxaDialogs {
  static {
    ixa.internal.NativeLibraries.load(IxaDialogs.class, "brixdialogs");
  }

  private IxaDialogs() {}

  // Windows and sheets

  /**
   * Shows the front-most window titled exactly "SHEETIFY" (a Java window the application marked
   * so) as a sheet of the application's current window: the window is ordered out at once and
   * attached as a sheet about 0.1 seconds later, to whichever window is current then. Does
   * nothing when no such window is open.
   *
   * <p>Returns at once. Nothing reaches {@link Ixa#callNamedRunnable}.
   *
   * @return 1
   */
  public static native int sheetifyWindow();

  /**
   * Ends the sheet shown by {@link #sheetifyWindow} and closes its window; does nothing when
   * there is none. Returns at once.
   *
   * @return 1
   */
  public static native int closeSheetifiedWindow();

  /**
   * Toggles full screen for the application's current (front-most ordered) window; does nothing
   * when there is none. Returns at once.
   *
   * @return 1
   */
  public static native int enterFullScreen();

  // Alerts and sheets

  /**
   * Shows an application-modal warning alert with the application's icon and up to two buttons,
   * and waits until the user presses one (Return presses the first, Escape a button titled
   * "Cancel"). Returns when the alert has been answered; nothing reaches {@link
   * Ixa#callNamedRunnable}.
   *
   * <p>Null: a null text shows as empty; a null button title adds no button, and the buttons that
   * remain count in the order they were added (an alert left without buttons gets "OK").
   *
   * @param messageText the alert's bold message
   * @param informativeText the smaller text under it
   * @param firstButton the first (default) button's title
   * @param secondButton the second button's title
   * @return 1 when the first button was pressed, 0 otherwise
   */
  public static native int showMacDialog(
      String messageText, String informativeText, String firstButton, String secondButton);

  /**
   * Shows an application-modal warning alert with up to three buttons and waits until the user
   * presses one, as {@link #showMacDialog} does. Returns when the alert has been answered;
   * nothing reaches {@link Ixa#callNamedRunnable}.
   *
   * <p>Null: a null text shows as empty; a null button title adds no button, and the buttons
   * that remain are numbered in the order they were added ({@code show3ButtonMacDialog(m, i,
   * "A", null, "C")} answers 2 for "C").
   *
   * @param messageText the alert's bold message
   * @param informativeText the smaller text under it
   * @param firstButton the first (default) button's title
   * @param secondButton the second button's title
   * @param thirdButton the third button's title
   * @return 1, 2 or 3 for the pressed button; -1 when the alert ended otherwise
   */
  public static native int show3ButtonMacDialog(
      String messageText,
      String informativeText,
      String firstButton,
      String secondButton,
      String thirdButton);

  /**
   * Shows an application-modal alert with a one-line text field and two buttons, and waits until
   * the user presses one. Returns when the alert has been answered; nothing reaches {@link
   * Ixa#callNamedRunnable}.
   *
   * <p>Null: a null text or initial text shows as empty; a null button title adds no button.
   *
   * @param messageText the alert's bold message
   * @param informativeText the smaller text under it
   * @param firstButton the accepting (default) button's title
   * @param secondButton the cancelling button's title
   * @param initialText the field's text when the alert appears
   * @return the field's text when the first button was pressed; null otherwise
   */
  public static native String showMacTextEntryDialog(
      String messageText,
      String informativeText,
      String firstButton,
      String secondButton,
      String initialText);

  /**
   * Shows a sheet with a title, a message, a text field and two buttons on the application's
   * current window, and returns at once, while the sheet stays open. Return presses the
   * accepting button.
   *
   * <p>When the user presses the accepting button, {@link Ixa#callNamedRunnable(String, String)}
   * receives the identity and the field's text (the empty string for an empty field) on the
   * platform's main thread, and the sheet ends. The cancelling button ends the sheet and sends
   * nothing. The identity is also logged ({@code "ID: <identity>"}).
   *
   * <p>The answer reaches Java only when {@link #modifyMenuBar}, {@link
   * #showMacContextMenuWithJSON} or {@link #renderMacButton} has run once before (at start-up,
   * say); until then it is dropped, with a line in the log saying so.
   *
   * <p>Null: a null title, message or button title shows as empty; a null identity sends a null
   * name, which {@link Ixa} ignores.
   *
   * @param title the sheet's bold title
   * @param message the text under it
   * @param acceptTitle the accepting button's title
   * @param cancelTitle the cancelling button's title
   * @param identity the name under which the typed text arrives
   * @return 1
   */
  public static native int showTextEntrySheetDialog(
      String title, String message, String acceptTitle, String cancelTitle, String identity);

  /**
   * Shows a progress sheet (a bold title, a message and a bar at 20 of 100) on the application's
   * current window and returns at once. {@link #updateProgressDialog} changes it and {@link
   * #closeProgressDialog} ends it.
   *
   * @return 1
   */
  public static native int initProgressDialog();

  /**
   * Updates the newest progress sheet: the bar's value (0 to 100; a negative value makes it
   * indeterminate and animated) and the texts of the newest sheet. An update that repeats the
   * last value changes only the bar's mode, not the texts. Returns at once.
   *
   * <p>Null: a null title or message shows as empty.
   *
   * @param title the sheet's new bold title
   * @param message the sheet's new message
   * @param progress the bar's value, from 0 to 100, or negative for an indeterminate bar
   * @return 1
   */
  public static native int updateProgressDialog(String title, String message, double progress);

  /**
   * Ends the progress sheet and closes it; does nothing when none is open. Returns at once.
   *
   * @return 1
   */
  public static native int closeProgressDialog();

  /**
   * Shows the shared colour panel, key and in front, and returns at once. Each colour the user
   * picks reaches {@link Ixa#callNamedRunnable(String, String)} as {@code "COLORCHANGED"} and the
   * colour's text {@code "#RRGGBB"} (upper-case hexadecimal), on the platform's main thread. The
   * colours reach Java only when {@link #modifyMenuBar}, {@link #showMacContextMenuWithJSON} or
   * {@link #renderMacButton} has run once before; until then each is dropped, with a line in the
   * log saying so.
   *
   * @param x not used
   * @param y not used
   * @return 1
   */
  public static native int showMacColorPopover(double x, double y);

  /**
   * Draws a rounded push button off screen and lets it go again; nothing appears and nothing is
   * kept. Returns when it is drawn. Its one lasting effect: answers that come later (a
   * text-entry sheet's text, a colour) can reach {@link Ixa} from now on, as after {@link
   * #modifyMenuBar}.
   *
   * @param width not used
   * @param height not used
   * @param unused not used
   * @return 0
   */
  public static native int renderMacButton(double width, double height, long unused);

  // Menus

  /**
   * Pops up a context menu built from a JSON description and returns when the menu closes,
   * whether an item was chosen or not. The chosen item's identity reaches {@link
   * Ixa#callNamedRunnable(String)} on the platform's main thread before this method returns.
   *
   * <p>The JSON text is an array of objects: {@code "HEADER"} is the item's title ({@code "-"}
   * makes a separator), {@code "IDENTITY"} the name sent when it is chosen, {@code "CHILDREN"}
   * an array of the same form for a submenu, {@code "DISABLED":"1"} shows it disabled, {@code
   * "STATE":"1"} checks it, {@code "KEYBOARDSHORTCUT"} its key equivalent and {@code
   * "INDENTATION"} its indentation level. For example {@code
   * [{"HEADER":"Open","IDENTITY":"open"},{"HEADER":"-"},{"HEADER":"Recent","CHILDREN":[...]}]}.
   *
   * <p>The location is in points in the front window's content view, from its lower-left corner
   * (with a "SHEETIFY" window shown as a sheet, in that sheet's content view). A null text, text
   * that is not JSON, or an array without items shows no menu and returns at once.
   *
   * @param x where the menu's first item appears: its distance from the view's left edge
   * @param y where the menu's first item appears: its distance from the view's bottom edge
   * @param json the menu's description
   * @return 1
   */
  public static native int showMacContextMenuWithJSON(double x, double y, String json);

  /**
   * Adds the library's entries to the application menu: "About Ixa" ({@code "APPMENU_ABOUT"}),
   * "Check for Updates..." ({@code "APPMENU_CHECKFORUPDATES"}, left out after {@link
   * #setAsAppStore}) and "Preferences" ({@code "APPMENU_PREFS"}, with the key equivalent Command
   * comma, Control comma on Linux), with separators. Choosing one sends its name to {@link
   * Ixa#callNamedRunnable(String)} on the platform's main thread. Call it once, at start-up;
   * each call adds the entries again. Returns at once.
   *
   * @return 1
   */
  public static native int modifyMenuBar();

  /**
   * Marks the application as a store build, so that a later {@link #modifyMenuBar} leaves out
   * "Check for Updates...". Returns at once.
   *
   * @return 1
   */
  public static native int setAsAppStore();

  // Window restyling

  /**
   * Restyles every application window: a translucent, light, vibrant content, a transparent
   * full-size title bar, and a 50-point header band with a gradient strip, a dark side panel
   * with the logo and the brand text. The pass logs what it does. Returns when every window is
   * restyled.
   *
   * @return 1
   */
  public static native int modifyWindows();

  /**
   * Shows the dark side panel of the band laid last by {@link #modifyWindows}, with its logo;
   * does nothing before the first restyling. Returns at once.
   *
   * @return 1
   */
  public static native int showSideRect();

  /**
   * Hides the dark side panel of the band laid last by {@link #modifyWindows}; does nothing
   * before the first restyling. Returns at once.
   *
   * @return 1
   */
  public static native int hideSideRect();

  // Process and system

  /**
   * Relaunches the application: starts a detached shell that waits about two seconds and starts
   * this process's command line again, then quits through {@code System.exit(0)}, so shutdown
   * hooks run. Does not return when it quits; when the relaunch cannot be set up it logs why,
   * leaves the application running and returns.
   *
   * @return 1, when it returns
   */
  public static native int relaunchThyself();

  /**
   * Runs the command with {@code /bin/sh -c} and returns when its standard output closes (when
   * the command and whatever it started with the same output have finished or closed it). The
   * output is read and dropped. Runs on the calling thread, not the platform's main thread, so
   * windows stay responsive meanwhile. A null command runs nothing.
   *
   * @param command the shell command line
   * @return 1, whatever the command's exit status
   */
  public static native int runCommandAsNSTask(String command);

  /**
   * Answers a question about the system. Runs on the calling thread and returns at once.
   *
   * <ul>
   *   <li>{@code "HIGHLIGHTCOLOUR"}: the selection highlight colour, as {@code
   *       {"R":r,"G":g,"B":b,"A":a}} with each component from 0 to 1, six decimals;
   *   <li>{@code "APPLICATIONSUPPORTDIRECTORY"}: the user's application-support directory
   *       ({@code $XDG_DATA_HOME}, else {@code ~/.local/share}).
   * </ul>
   *
   * @param key the question, exactly as above
   * @return the answer; null for any other key, or null
   */
  public static native String getMiscMacInfo(String key);
}
