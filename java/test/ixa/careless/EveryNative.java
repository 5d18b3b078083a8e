package ixa.careless;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.ArrayList;
import java.util.List;

/**
 * Calls every native method of {@link IxaDialogs}, with one text in every string argument, and
 * checks what each returns and what reaches Java. Those that wait are answered by the {@link
 * Answerer}. The methods that only read what earlier calls left behind (the sheet globals, the
 * sheetified window, the side panel) come first, so that after a careless step they meet its
 * leftovers before anything replaces them.
 */
final class EveryNative {
  private EveryNative() {}

  static void call(Answerer user, String text) throws Exception {
    // What earlier calls left behind.
    expectOne(IxaDialogs.closeProgressDialog());
    expectOne(IxaDialogs.updateProgressDialog(text, text, 40));
    expectOne(IxaDialogs.updateProgressDialog(text, text, -1));
    expectOne(IxaDialogs.closeProgressDialog());
    expectOne(IxaDialogs.closeSheetifiedWindow());
    expectOne(IxaDialogs.hideSideRect());
    expectOne(IxaDialogs.showSideRect());
    expectOne(IxaDialogs.enterFullScreen());
    expectOne(IxaDialogs.enterFullScreen());
    Screen.run(0.01);

    int window = Screen.openWindow("Every native", 200, 200, 600, 400);
    Screen.run(0);
    expectOne(IxaDialogs.modifyMenuBar()); // remembers this thread's environment for upcalls
    expectOne(IxaDialogs.setAsAppStore());
    check(IxaDialogs.renderMacButton(120, 30, 0) == 0, "renderMacButton returns 0");

    alerts(user, text);
    textEntrySheet(user, text, window);
    progressSheet(text);
    colourPanel(user);
    contextMenu(user, text);

    expectOne(IxaDialogs.modifyWindows());
    expectOne(IxaDialogs.hideSideRect());
    expectOne(IxaDialogs.showSideRect());
    IxaDialogs.getMiscMacInfo(text);
    check(IxaDialogs.getMiscMacInfo("HIGHLIGHTCOLOUR") != null, "the highlight colour");
    expectOne(IxaDialogs.runCommandAsNSTask("true '" + text.replace("'", "") + "'"));
    expectOne(IxaDialogs.sheetifyWindow()); // no window is titled SHEETIFY
    expectOne(IxaDialogs.closeSheetifiedWindow());
    Screen.close(window);
    Screen.run(0.01);
  }

  private static void alerts(Answerer user, String text) {
    String first = button("A", text), second = button("B", text), third = button("C", text);
    user.press(first);
    check(IxaDialogs.showMacDialog(text, text, first, second) == 1, "showMacDialog, first button");
    user.press(second);
    check(IxaDialogs.showMacDialog(text, text, first, second) == 0, "showMacDialog, second");
    user.press(third);
    check(
        IxaDialogs.show3ButtonMacDialog(text, text, first, second, third) == 3,
        "show3ButtonMacDialog, third button");
    user.press(first);
    String entered = IxaDialogs.showMacTextEntryDialog(text, text, first, second, text);
    check(text.equals(entered), "showMacTextEntryDialog returns the field's text unchanged");
    user.press(second);
    check(
        IxaDialogs.showMacTextEntryDialog(text, text, first, second, text) == null,
        "showMacTextEntryDialog, cancelled");
  }

  private static void textEntrySheet(Answerer user, String text, int window) {
    List<String> received = new ArrayList<>();
    Ixa.register(text, (String value) -> received.add(value));
    String accept = button("A", text), cancel = button("B", text);
    Screen.orderFront(window);
    expectOne(IxaDialogs.showTextEntrySheetDialog(text, text, accept, cancel, text));
    user.press(cancel);
    runUntil(user);
    expectOne(IxaDialogs.showTextEntrySheetDialog(text, text, accept, cancel, text));
    user.expect(
        () -> {
          User.focusField(0);
          User.type("typed");
          return User.pressButton(accept);
        },
        "type into the sheet and accept it");
    runUntil(user);
    Ixa.unregister(text);
    check(received.equals(List.of("typed")), "the sheet sends its identity and text once");
  }

  private static void progressSheet(String text) {
    expectOne(IxaDialogs.initProgressDialog());
    expectOne(IxaDialogs.updateProgressDialog(text, text, 10));
    expectOne(IxaDialogs.updateProgressDialog(text, text, 100));
    expectOne(IxaDialogs.closeProgressDialog());
    expectOne(IxaDialogs.closeProgressDialog());
  }

  private static void colourPanel(Answerer user) {
    List<String> picked = new ArrayList<>();
    Ixa.register("COLORCHANGED", (String colour) -> picked.add(colour));
    expectOne(IxaDialogs.showMacColorPopover(10, 10));
    user.expect(
        () -> {
          User.pickColor(1, 0.5, 0);
          return true;
        },
        "pick a colour");
    runUntil(user);
    Ixa.unregister("COLORCHANGED");
    check(picked.equals(List.of("#FF7F00")), "the pick reaches Java once");
  }

  private static void contextMenu(Answerer user, String text) {
    List<String> chosen = new ArrayList<>();
    Ixa.register(text, () -> chosen.add("text"));
    Ixa.register("pick", () -> chosen.add("pick"));
    // The text raw in the JSON string, and escaped: each gives one item, beside a plain one.
    for (String title : List.of(Json.raw(text), Json.escaped(text))) {
      String json =
          "[{\"HEADER\":\"" + title + "\",\"IDENTITY\":\"" + title + "\"},{\"HEADER\":\"-\"},"
              + "{\"HEADER\":\"Pick\",\"IDENTITY\":\"pick\"},"
              + "{\"HEADER\":\"More\",\"CHILDREN\":[{\"HEADER\":\"" + title + "\"}]}]";
      if (!Json.isValidString(title)) {
        // A raw control character or an escaped lone surrogate makes the text invalid JSON: no
        // items, no menu, no wait.
        expectOne(IxaDialogs.showMacContextMenuWithJSON(5, 5, json));
        continue;
      }
      user.choose(Json.asBuilt(text));
      expectOne(IxaDialogs.showMacContextMenuWithJSON(5, 5, json));
      user.choose("Pick");
      expectOne(IxaDialogs.showMacContextMenuWithJSON(5, 5, json));
      user.dismissMenu();
      expectOne(IxaDialogs.showMacContextMenuWithJSON(5, 5, json));
    }
    Ixa.unregister(text);
    Ixa.unregister("pick");
    // A lone surrogate in the identity reaches Java as U+FFFD, so only text without one is
    // found under its own name.
    List<String> expected = new ArrayList<>();
    for (String title : List.of(Json.raw(text), Json.escaped(text))) {
      if (!Json.isValidString(title)) continue;
      if (Json.asBuilt(text).equals(text)) expected.add("text");
      expected.add("pick");
    }
    check(chosen.equals(expected), "each chosen item reaches Java once: " + chosen);
  }

  /**
   * A button title that starts with the text: all of it when it is short, so that buttons stay
   * apart and fit their alert whatever the text (long titles have a case of their own).
   */
  static String button(String prefix, String text) {
    return prefix + (text.length() <= 16 ? text : text.substring(0, 16));
  }

  /** Serves the main run loop until the user has done what was handed over. */
  static void runUntil(Answerer user) {
    while (!user.idle()) Screen.run(0.001);
    Screen.run(0);
  }

  static void expectOne(int result) {
    check(result == 1, "a native method that only acts returns 1");
  }

  static void check(boolean condition, String what) {
    if (!condition) throw new AssertionError(what);
  }
}
