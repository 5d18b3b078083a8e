package ixa.careless;

import static ixa.careless.EveryNative.check;
import static ixa.careless.EveryNative.expectOne;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testing.Described;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.ArrayList;
import java.util.List;

/**
 * Handlers registered with {@link Ixa#register} that throw, or call the library again while it is
 * calling them. An exception thrown by the application's own handler belongs to the application:
 * it reaches the Java caller of the native method that was running (the menu's call, the alert's),
 * once; with no call running (a sheet's button, a colour pick, a shortcut between calls) it is
 * logged. Either way it leaves nothing behind for the calls after it.
 */
final class ThrowingHandlerCases {
  private ThrowingHandlerCases() {}

  static final class HandlerFailure extends RuntimeException {
    private static final long serialVersionUID = 1L;

    HandlerFailure(String name) { super("handler of " + name + " failed"); }
  }

  static void throwingHandlers(Answerer user) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    Screen.run(0);
    expectOne(IxaDialogs.modifyMenuBar());
    for (String name : List.of("boom", "RENAME", "COLORCHANGED", "APPMENU_PREFS"))
      Ixa.register(name, () -> { throw new HandlerFailure(name); });
    Ixa.register("error", () -> { throw new StackOverflowError("a handler's own error"); });

    // A chosen menu item: the menu's own call throws.
    String menu = "[{\"HEADER\":\"Boom\",\"IDENTITY\":\"boom\"},"
                  + "{\"HEADER\":\"Error\",\"IDENTITY\":\"error\"}]";
    user.choose("Boom");
    expectThrown("boom", () -> IxaDialogs.showMacContextMenuWithJSON(5, 5, menu));
    user.choose("Error");
    try {
      IxaDialogs.showMacContextMenuWithJSON(5, 5, menu);
      throw new AssertionError("the handler's error did not reach the caller");
    } catch (StackOverflowError expected) {
      check(expected.getMessage().equals("a handler's own error"), "the handler's own error");
    }

    // The accepting button of a text-entry sheet: no call waits, so the exception is logged, and
    // the sheet has ended all the same.
    expectOne(IxaDialogs.showTextEntrySheetDialog("Rename", "", "Rename", "Cancel", "RENAME"));
    Screen.clearLog();
    user.press("Rename");
    EveryNative.runUntil(user);
    expectLogged("RENAME");
    Screen.run(0.02);
    check(Described.attachedSheetNumber(Described.screen(), window) == 0, "the sheet ended");

    // A colour pick, and the application menu's shortcut.
    expectOne(IxaDialogs.showMacColorPopover(0, 0));
    user.expect(() -> {
      User.pickColor(0, 0, 1);
      return true;
    }, "pick a colour");
    EveryNative.runUntil(user);
    expectLogged("COLORCHANGED");
    user.expect(() -> {
      User.pressShortcut(",", "command");
      return true;
    }, "press Command-,");
    EveryNative.runUntil(user);
    expectLogged("APPMENU_PREFS");

    // A pick while an alert is up: the alert still ends by its button, and its call reports the
    // handler's exception instead of a result.
    user.expectInAlert(() -> {
      User.pickColor(1, 0, 0);
      return User.pressButton("OK");
    }, "pick a colour, then press OK");
    expectThrown("COLORCHANGED",
                 () -> IxaDialogs.showMacTextEntryDialog("Name?", "", "OK", "Cancel", "x"));
    user.expectInAlert(() -> {
      User.pickColor(0, 1, 0);
      return User.pressButton("OK");
    }, "again");
    expectThrown("COLORCHANGED", () -> IxaDialogs.showMacDialog("Sure?", "", "OK", null));

    // Nothing is left pending: the same actions work once the handlers behave.
    List<String> seen = new ArrayList<>();
    Ixa.register("boom", () -> seen.add("boom"));
    user.choose("Boom");
    expectOne(IxaDialogs.showMacContextMenuWithJSON(5, 5, menu));
    check(seen.equals(List.of("boom")), "the menu works again");
    Screen.close(window);
  }

  static void reentrantHandler(Answerer user) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    Screen.run(0);
    expectOne(IxaDialogs.modifyMenuBar());
    List<String> seen = new ArrayList<>();
    // While the menu that chose it is still closing, the handler calls the library again.
    Ixa.register("again", () -> {
      seen.add("again");
      expectOne(IxaDialogs.showMacContextMenuWithJSON(0, 0, "[]"));
      check(IxaDialogs.renderMacButton(50, 20, 0) == 0, "renderMacButton");
      expectOne(IxaDialogs.initProgressDialog());
      expectOne(IxaDialogs.updateProgressDialog("Inside", "a handler", 30));
      expectOne(IxaDialogs.closeProgressDialog());
      expectOne(IxaDialogs.closeSheetifiedWindow());
      expectOne(IxaDialogs.modifyWindows());
    });
    String menu = "[{\"HEADER\":\"Again\",\"IDENTITY\":\"again\"}]";
    for (int i = 0; i < 3; i++) {
      user.choose("Again");
      expectOne(IxaDialogs.showMacContextMenuWithJSON(5, 5, menu));
    }
    check(seen.size() == 3, "the handler ran each time");
    // The sheet's button, too: the handler shows the next sheet from inside the click.
    Ixa.register("NEXT", (String text) -> {
      seen.add(text);
      if (seen.size() < 6)
        expectOne(IxaDialogs.showTextEntrySheetDialog("Next", "", "Go", "Stop", "NEXT"));
    });
    expectOne(IxaDialogs.showTextEntrySheetDialog("Next", "", "Go", "Stop", "NEXT"));
    for (int i = 0; i < 3; i++) {
      user.press("Go");
      EveryNative.runUntil(user);
    }
    check(seen.size() == 6, "three sheets were answered: " + seen);
    Screen.close(window);
  }

  private static void expectLogged(String name) {
    String line = "The handler of " + name + " threw " + HandlerFailure.class.getName()
                  + ": handler of " + name + " failed";
    for (String logged : Screen.log())
      if (logged.contains(line)) return;
    throw new AssertionError("the exception of the " + name + " handler was not logged");
  }

  private static void expectThrown(String name, Runnable call) {
    try {
      call.run();
    } catch (HandlerFailure expected) {
      check(expected.getMessage().equals("handler of " + name + " failed"), expected.getMessage());
      return;
    }
    throw new AssertionError("the exception of the " + name + " handler did not reach its caller");
  }
}
