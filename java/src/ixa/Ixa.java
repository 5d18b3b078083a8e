package ixa;

import java.util.Map;
import java.util.concurrent.ConcurrentHashMap;
import java.util.function.Consumer;

/**
 * Where the native library reports what the user did after a native method has returned: a menu
 * item chosen, a sheet button pressed, a colour picked. The application registers an action under
 * the name the library will send (a menu item's identity, "COLORCHANGED", ...).
 */
public final class Ixa {
  private static final Map<String, Consumer<String>> ACTIONS = new ConcurrentHashMap<>();

  private Ixa() {}

  /** Registers an action that runs on either kind of call; a later registration replaces it. */
  public static void register(String name, Runnable action) {
    if (name == null || action == null) throw new IllegalArgumentException("name and action are required");
    ACTIONS.put(name, value -> action.run());
  }

  /** Registers an action that receives the second string (null on a one-string call). */
  public static void register(String name, Consumer<String> action) {
    if (name == null || action == null) throw new IllegalArgumentException("name and action are required");
    ACTIONS.put(name, action);
  }

  public static void unregister(String name) {
    if (name != null) ACTIONS.remove(name);
  }

  /** Called by the native library with the name of an action. Unknown names are ignored. */
  public static void callNamedRunnable(String name) {
    dispatch(name, null);
  }

  /** Called by the native library with the name of an action and its value. */
  public static void callNamedRunnable(String name, String value) {
    dispatch(name, value);
  }

  private static void dispatch(String name, String value) {
    if (name == null) return;
    Consumer<String> action = ACTIONS.get(name);
    if (action != null) action.accept(value);
  }
}
