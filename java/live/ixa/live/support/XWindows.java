package ixa.live.support;

import java.time.Duration;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import java.util.OptionalLong;
import java.util.function.Predicate;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * The X server's window tree as another client sees it, read with xwininfo and xprop: the
 * top-level windows (children of the root) in stacking order, their titles, geometry and hints.
 * With no window manager (the tests' Xvfb) every window of the process, ours and Java's, is a
 * child of the root. Under a window manager the top-levels are the manager's clients (inside its
 * frames), as it lists them, and the pop-ups no manager manages.
 */
public final class XWindows {
  private static final Pattern CHILD =
      Pattern.compile("^\\s+(0x[0-9a-f]+) (?:\"(.*)\"|\\(has no name\\)):");
  private static final Pattern WINDOW_ID = Pattern.compile("# (0x[0-9a-f]+)");
  private static final Pattern NAME = Pattern.compile("Window id: 0x[0-9a-f]+ \"(.*)\"");

  private XWindows() {}

  /**
   * A top-level window: its id, its title (WM_NAME, empty when it has none), its outer rectangle
   * in X coordinates (origin at the top left of the screen), whether it is mapped and viewable,
   * and whether it is override-redirect (a pop-up no window manager would manage).
   */
  public record Window(
      long id,
      String title,
      int x,
      int y,
      int width,
      int height,
      boolean viewable,
      boolean overrideRedirect) {
    /** The X coordinate of the point at that distance from the window's left edge. */
    public int screenX(double fromLeft) {
      return x + (int) Math.round(fromLeft);
    }

    /** The X coordinate of the point at that distance from the window's top edge. */
    public int screenY(double fromTop) {
      return y + (int) Math.round(fromTop);
    }

    /** The id as xprop and xdotool write it. */
    public String hexId() {
      return "0x" + Long.toHexString(id);
    }
  }

  /** The mapped top-level windows, front-most first. */
  public static List<Window> mapped() {
    List<Window> windows = new ArrayList<>();
    for (Window window : topLevels()) if (window.viewable()) windows.add(window);
    return windows;
  }

  /**
   * Every top-level window, mapped or not, front-most first. Under a window manager: this process's
   * pop-ups (override-redirect children of the root) and then the clients in the manager's
   * stacking order.
   */
  public static List<Window> topLevels() {
    List<Long> clients = managedClients();
    if (clients.isEmpty()) return rootChildren();
    List<Window> windows = new ArrayList<>();
    // The manager's own pop-ups (openbox keeps a 1x1 one mapped off the screen) are not listed.
    long self = ProcessHandle.current().pid();
    for (Window window : rootChildren())
      if (window.overrideRedirect() && pid(window) == self) windows.add(window);
    for (int i = clients.size() - 1; i >= 0; i--) {
      Window window = describe(clients.get(i), null);
      if (window != null) windows.add(window);
    }
    return windows;
  }

  // The window manager's clients, bottom to top; empty when no manager lists them. A manager
  // that has not restacked anything yet (xfwm4) has no stacking list: its clients are then
  // ordered as their frames are stacked among the root's children.
  private static List<Long> managedClients() {
    List<Long> stacking = windowList("_NET_CLIENT_LIST_STACKING");
    if (!stacking.isEmpty()) return stacking;
    List<Long> clients = windowList("_NET_CLIENT_LIST");
    if (clients.isEmpty()) return clients;
    // xwininfo lists the root's children top to bottom, each followed by its own tree.
    List<Long> ordered = new ArrayList<>();
    String[] lines = wholeTree().split("\n");
    int topIndent = -1;
    List<Long> underTop = new ArrayList<>();
    for (String line : lines) {
      Matcher child = CHILD.matcher(line);
      if (!child.find()) continue;
      int indent = line.indexOf("0x");
      if (topIndent < 0) topIndent = indent;
      if (indent == topIndent) {
        collectClients(underTop, clients, ordered);
        underTop.clear();
      }
      underTop.add(Long.decode(child.group(1)));
    }
    collectClients(underTop, clients, ordered);
    Collections.reverse(ordered);
    return ordered;
  }

  // The whole tree, read again when a window goes while xwininfo walks it.
  private static String wholeTree() {
    for (int attempt = 1; ; attempt++) {
      try {
        return Commands.run(List.of("xwininfo", "-root", "-tree"));
      } catch (IllegalStateException changedUnderfoot) {
        if (attempt == 10) throw changedUnderfoot;
        pause(20);
      }
    }
  }

  private static void collectClients(List<Long> windows, List<Long> clients, List<Long> into) {
    for (long window : windows) if (clients.contains(window)) into.add(window);
  }

  private static List<Long> windowList(String property) {
    String value = Commands.run(List.of("xprop", "-root", property)).strip();
    List<Long> ids = new ArrayList<>();
    int hash = value.indexOf('#');
    if (hash < 0) return ids;
    for (String part : value.substring(hash + 1).split(","))
      if (!part.isBlank()) ids.add(Long.decode(part.strip()));
    return ids;
  }

  private static List<Window> rootChildren() {
    String tree = Commands.run(List.of("xwininfo", "-root", "-children"));
    List<Window> windows = new ArrayList<>();
    for (String line : tree.split("\n")) {
      Matcher child = CHILD.matcher(line);
      if (!child.find()) continue;
      String title = child.group(2) == null ? "" : child.group(2);
      long id = Long.decode(child.group(1));
      Window window = describe(id, title);
      // A window destroyed between the two questions is left out.
      if (window == null) continue;
      windows.add(window);
    }
    return windows;
  }

  /** The titles of a window's children (empty for a child without a name), front-most first. */
  public static List<String> childTitles(Window window) {
    String tree = Commands.run(List.of("xwininfo", "-id", window.hexId(), "-children"));
    List<String> titles = new ArrayList<>();
    for (String line : tree.split("\n")) {
      Matcher child = CHILD.matcher(line);
      if (child.find()) titles.add(child.group(2) == null ? "" : child.group(2));
    }
    return titles;
  }

  /** Whether the window manager lists a mapped top-level window with exactly that title. */
  public static boolean managed(String title) {
    Window window = find(title);
    return window != null && windowList("_NET_CLIENT_LIST").contains(window.id());
  }

  /** Forgets the lists a window manager left on the root, so that only a new one's are read. */
  static void forgetClientLists() {
    Commands.run(List.of("xprop", "-root", "-remove", "_NET_CLIENT_LIST"));
    Commands.run(List.of("xprop", "-root", "-remove", "_NET_CLIENT_LIST_STACKING"));
  }

  /** The mapped top-level window with exactly that title, front-most first; null when none. */
  public static Window find(String title) {
    for (Window window : mapped()) if (window.title().equals(title)) return window;
    return null;
  }

  /**
   * Waits until a mapped top-level window satisfies the condition, asking the server every 20
   * milliseconds, and returns the front-most one that does.
   *
   * @throws AssertionError naming what was waited for and the windows there were, when none did
   *     within the time
   */
  public static Window waitFor(String what, Predicate<Window> condition, Duration limit) {
    long deadline = System.nanoTime() + limit.toNanos();
    List<Window> seen;
    do {
      seen = mapped();
      for (Window window : seen) if (condition.test(window)) return window;
      pause(20);
    } while (System.nanoTime() < deadline);
    throw new AssertionError("no " + what + " within " + limit.toMillis() + " ms; mapped: " + seen);
  }

  /** Waits until no mapped top-level window satisfies the condition. */
  public static void waitForNone(String what, Predicate<Window> condition, Duration limit) {
    long deadline = System.nanoTime() + limit.toNanos();
    List<Window> seen;
    do {
      seen = mapped();
      if (seen.stream().noneMatch(condition)) return;
      pause(20);
    } while (System.nanoTime() < deadline);
    throw new AssertionError(what + " still mapped after " + limit.toMillis() + " ms: " + seen);
  }

  /** The window's WM_TRANSIENT_FOR: the window it belongs to; empty when it has none. */
  public static OptionalLong transientFor(Window window) {
    String value = property(window, "WM_TRANSIENT_FOR");
    Matcher id = WINDOW_ID.matcher(value);
    return id.find() ? OptionalLong.of(Long.decode(id.group(1))) : OptionalLong.empty();
  }

  /** The names in the window's _NET_WM_WINDOW_TYPE, such as "_NET_WM_WINDOW_TYPE_DIALOG". */
  public static List<String> windowTypes(Window window) {
    return atoms(property(window, "_NET_WM_WINDOW_TYPE"));
  }

  /** The names in the window's _NET_WM_STATE, such as "_NET_WM_STATE_MODAL". */
  public static List<String> states(Window window) {
    return atoms(property(window, "_NET_WM_STATE"));
  }

  /** The window's _NET_WM_PID; -1 when it has none. */
  public static long pid(Window window) {
    String value = property(window, "_NET_WM_PID");
    int equals = value.indexOf('=');
    return equals < 0 ? -1 : Long.parseLong(value.substring(equals + 1).strip());
  }

  /** The window that has the keyboard focus (its id; 1 for PointerRoot, 0 for none). */
  public static long focus() {
    String out = Commands.run(List.of("xdotool", "getwindowfocus", "-f"));
    return Long.parseLong(out.strip());
  }

  /**
   * Waits until the window has the keyboard focus.
   *
   * @throws AssertionError naming the window that has it instead, when it does not get it in time
   */
  public static void waitForFocus(long id, Duration limit) {
    long deadline = System.nanoTime() + limit.toNanos();
    long focus;
    while ((focus = focus()) != id && System.nanoTime() < deadline) pause(20);
    if (focus != id)
      throw new AssertionError(
          "0x"
              + Long.toHexString(id)
              + " did not get the focus; 0x"
              + Long.toHexString(focus)
              + " has it");
  }

  private static List<String> atoms(String value) {
    int equals = value.indexOf('=');
    List<String> names = new ArrayList<>();
    if (equals < 0) return names;
    for (String name : value.substring(equals + 1).split(",")) names.add(name.strip());
    return names;
  }

  // xprop's line for one property, "NAME(TYPE) = value" or "NAME:  not found.".
  private static String property(Window window, String name) {
    return Commands.run(List.of("xprop", "-id", window.hexId(), name)).strip();
  }

  private static Window describe(long id, String title) {
    String info;
    try {
      info = Commands.run(List.of("xwininfo", "-id", "0x" + Long.toHexString(id)));
    } catch (IllegalStateException gone) {
      return null;
    }
    if (title == null) {
      Matcher named = NAME.matcher(info);
      title = named.find() ? named.group(1) : "";
    }
    return new Window(
        id,
        title,
        number(info, "Absolute upper-left X:"),
        number(info, "Absolute upper-left Y:"),
        number(info, "Width:"),
        number(info, "Height:"),
        info.contains("Map State: IsViewable"),
        info.contains("Override Redirect State: yes"));
  }

  private static int number(String info, String label) {
    int at = info.indexOf(label);
    if (at < 0) throw new IllegalStateException("xwininfo gave no " + label + "\n" + info);
    String rest = info.substring(at + label.length()).strip();
    int end = 0;
    while (end < rest.length() && (Character.isDigit(rest.charAt(end)) || rest.charAt(end) == '-'))
      end++;
    return Integer.parseInt(rest.substring(0, end));
  }

  static void pause(long millis) {
    try {
      Thread.sleep(millis);
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      throw new IllegalStateException("interrupted while waiting", e);
    }
  }
}
