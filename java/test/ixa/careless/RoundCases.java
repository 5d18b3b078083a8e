package ixa.careless;

import static ixa.careless.EveryNative.check;
import static ixa.careless.EveryNative.expectOne;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;

/**
 * A thousand rounds of each dialog, answered as a user would, in a long-running application: the
 * live platform objects (the census) are the same after the rounds as after the first one, so
 * nothing a dialog makes is left behind.
 */
final class RoundCases {
  private RoundCases() {}

  static final int ROUNDS = 1000;

  // Rounds before the census is taken: what the platform makes once and keeps (a named image,
  // a shared panel) is made by then, whichever kind of round first needs it.
  static final int WARM_UP_ROUNDS = 3;

  /** A round of one dialog. */
  private interface Round {
    void run(int round) throws Exception;
  }

  private static void repeat(String what, Round round) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    Screen.run(0);
    expectOne(IxaDialogs.modifyMenuBar()); // the environment the upcalls use
    for (int i = 0; i < WARM_UP_ROUNDS; i++) round.run(i);
    Map<String, Long> before = Census.take();
    for (int i = WARM_UP_ROUNDS; i < WARM_UP_ROUNDS + ROUNDS; i++) round.run(i);
    Census.expectUnchanged(before, ROUNDS + " rounds of " + what);
    Screen.close(window);
  }

  // The three kinds take turns: each alert costs about 30 ms here, most of it decoding the
  // application icon afresh, and three thousand of them would take the suite's whole budget.
  static void alerts(Answerer user) throws Exception {
    repeat(
        "alerts",
        i -> {
          switch (i % 3) {
            case 0 -> {
              user.press("Cancel");
              check(IxaDialogs.showMacDialog("Round " + i, "Go on?", "OK", "Cancel") == 0, "2nd");
            }
            case 1 -> {
              user.press("Later");
              check(IxaDialogs.show3ButtonMacDialog("Round", "", "Now", "No", "Later") == 3, "3rd");
            }
            default -> {
              user.press("OK");
              String name = "name " + i;
              check(name.equals(IxaDialogs.showMacTextEntryDialog("Name?", "", "OK", "No", name)),
                  "the entered text");
            }
          }
        });
  }

  static void sheets(Answerer user) throws Exception {
    List<String> received = new ArrayList<>();
    Ixa.register("RENAME", (String text) -> received.add(text));
    repeat(
        "text-entry sheets",
        i -> {
          expectOne(IxaDialogs.showTextEntrySheetDialog("Rename", "", "Rename", "No", "RENAME"));
          user.expect(
              () -> {
                User.focusField(0);
                User.type("n" + i);
                return User.pressButton("Rename");
              },
              "type and accept");
          EveryNative.runUntil(user);
          expectOne(IxaDialogs.showTextEntrySheetDialog("Rename", "", "Rename", "No", "RENAME"));
          user.press("No");
          EveryNative.runUntil(user);
        });
    check(received.size() == WARM_UP_ROUNDS + ROUNDS, "every accepted sheet reached Java");
  }

  static void progress(Answerer user) throws Exception {
    repeat(
        "progress sheets",
        i -> {
          expectOne(IxaDialogs.initProgressDialog());
          expectOne(IxaDialogs.updateProgressDialog("Copying", "file " + i, i % 100));
          expectOne(IxaDialogs.updateProgressDialog("Waiting", "", -1));
          expectOne(IxaDialogs.closeProgressDialog());
        });
  }

  static void menus(Answerer user) throws Exception {
    List<String> chosen = new ArrayList<>();
    Ixa.register("copy", () -> chosen.add("copy"));
    String menu =
        "[{\"HEADER\":\"Copy\",\"IDENTITY\":\"copy\",\"KEYBOARDSHORTCUT\":\"c\"},"
            + "{\"HEADER\":\"-\"},"
            + "{\"HEADER\":\"More\",\"CHILDREN\":[{\"HEADER\":\"Paste\",\"IDENTITY\":\"paste\"}]}]";
    repeat(
        "context menus",
        i -> {
          user.choose("Copy");
          expectOne(IxaDialogs.showMacContextMenuWithJSON(10, 10, menu));
          user.dismissMenu();
          expectOne(IxaDialogs.showMacContextMenuWithJSON(10, 10, menu));
        });
    check(chosen.size() == WARM_UP_ROUNDS + ROUNDS, "every choice reached Java");
  }

  static void buttonRendering(Answerer user) throws Exception {
    repeat("button renderings", i -> check(IxaDialogs.renderMacButton(100, 30, i) == 0, "0"));
  }

  static void colourPanel(Answerer user) throws Exception {
    List<String> picked = new ArrayList<>();
    Ixa.register("COLORCHANGED", (String colour) -> picked.add(colour));
    repeat(
        "colour panels",
        i -> {
          expectOne(IxaDialogs.showMacColorPopover(10, 10));
          user.expect(
              () -> {
                User.pickColor(0, 0, (i % 256) / 255.0);
                return true;
              },
              "pick a colour");
          EveryNative.runUntil(user);
        });
    check(picked.size() == WARM_UP_ROUNDS + ROUNDS, "every pick reached Java");
  }
}
