package ixa;

import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;
import java.util.function.Consumer;

/**
 * Where the native library reports what the user did after a native method has returned: a menu
 * item chosen, a sheet button pressed, a colour picked. The application registers an action under
 * the name the library will send, and the library's call of {@link #callNamedRunnable} runs it.
 *
 * <p>The names that arrive:
 *
 * <ul>
 *   <li>a context-menu item's {@code "IDENTITY"} from {@link
 *       IxaDialogs#showMacContextMenuWithJSON}, with no value;
 *   <li>{@code "APPMENU_ABOUT"}, {@code "APPMENU_CHECKFORUPDATES"} and {@code "APPMENU_PREFS"}
 *       from the application-menu entries of {@link IxaDialogs#modifyMenuBar}, with no value;
 *   <li>a text-entry sheet's identity from {@link IxaDialogs#showTextEntrySheetDialog}, with the
 *       typed text as the value, when its accepting button is pressed (cancelling sends nothing);
 *   <li>{@code "COLORCHANGED"} from the colour panel of {@link IxaDialogs#showMacColorPopover},
 *       with the colour as {@code "#RRGGBB"}.
 * </ul>
 *
 * <p>Threads: {@link #register} and {@link #unregister} may be called from any thread at any
 * time; a registration is seen by the next call that arrives. The library calls {@code
 * callNamedRunnable}, and so runs every action, on the platform's own main thread ("Brix Main
 * Thread"), never on Swing's event dispatch thread, with the context class loader of the thread
 * whose native call it serves (between calls, the loader of {@link IxaDialogs}). An action that
 * touches Swing components hands that work to Swing, with {@code SwingUtilities.invokeLater} or
 * {@code invokeAndWait}: Swing's thread keeps serving its events while it waits in a native
 * method. What an action throws reaches the caller of the native method during which it ran (see
 * {@link IxaDialogs}). An action must not wait for a thread that is itself waiting in a native
 * method other than by a lock: a lock the waiting caller holds is recognised (that call then
 * fails with an {@link IllegalStateException}), a latch or a future is not.
 *
 * <p>The names arrive only once {@link IxaDialogs#modifyMenuBar}, {@link
 * IxaDialogs#showMacContextMenuWithJSON} or {@link IxaDialogs#renderMacButton} has run: before
 * that, a text-entry sheet's text and a colour are dropped (with a line in the log).
 */
public final class Ixa {
  private static final Map<String, Consumer<String>> ACTIONS = new ConcurrentHashMap<>();

  private Ixa() {}

  /**
   * Registers an action that runs whenever the name arrives, with or without a value; a later
   * registration under the same name replaces it.
   *
   * @param name the name the library sends, such as a menu item's identity
   * @param action what to run, on the platform's main thread
   * @throws IllegalArgumentException when name or action is null
   */
  public static void register(String name, Runnable action) {
    if (name == null || action == null) throw new IllegalArgumentException("name and action are required");
    ACTIONS.put(name, value -> action.run());
  }

  /**
   * Registers an action that receives the value sent with the name (the typed text, the colour);
   * null when the name arrives without one (menu items). A later registration under the same
   * name replaces it.
   *
   * @param name the name the library sends, such as a text-entry sheet's identity
   * @param action what to run with the value, on the platform's main thread
   * @throws IllegalArgumentException when name or action is null
   */
  public static void register(String name, Consumer<String> action) {
    if (name == null || action == null) throw new IllegalArgumentException("name and action are required");
    ACTIONS.put(name, action);
  }

  /**
   * Removes the action registered under the name; later arrivals of the name are ignored. An
   * unknown or null name does nothing.
   *
   * @param name the name whose action to remove
   */
  public static void unregister(String name) {
    if (name != null) ACTIONS.remove(name);
  }

  /**
   * Called by the native library, on its main thread, with the name of an action that has no
   * value (a menu item chosen). Runs the action registered under the name, if any, before it
   * returns; an unknown or null name is ignored. What an action throws is not caught here.
   *
   * @param name the name of the action
   */
  public static void callNamedRunnable(String name) {
    dispatch(name, null);
  }

  /**
   * Called by the native library, on its main thread, with the name of an action and its value
   * (a sheet's typed text, a colour). Runs the action registered under the name, if any, before
   * it returns; an unknown or null name is ignored. What an action throws is not caught here.
   *
   * @param name the name of the action
   * @param value the value that goes with it; may be null
   */
  public static void callNamedRunnable(String name, String value) {
    dispatch(name, value);
  }

  private static void dispatch(String name, String value) {
    if (name == null) return;
    Consumer<String> action = ACTIONS.get(name);
    if (action != null) action.accept(value);
  }
}
