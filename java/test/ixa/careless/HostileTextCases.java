package ixa.careless;

import static ixa.careless.EveryNative.check;
import static ixa.careless.EveryNative.expectOne;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.ArrayList;
import java.util.List;

/**
 * Text no careful caller would pass: two megabytes in alerts, menus and sheets; lone surrogates,
 * NUL characters and null in every string argument of every native method. Nothing may crash,
 * hang, or lose the rest of the text.
 */
final class HostileTextCases {
  private HostileTextCases() {}

  static final int TWO_MEGABYTES = 2 << 20;

  static void hugeStrings(Answerer user) throws Exception {
    StringBuilder builder = new StringBuilder(TWO_MEGABYTES + 32);
    String words = "Lorem ipsum dolor sit amet, caf\u00e9 \u6771\u4eac \ud83d\ude00 ";
    while (builder.length() < TWO_MEGABYTES) builder.append(words);
    builder.setLength(TWO_MEGABYTES - 1);
    builder.append('.'); // not half a pair at the end: this is text a careful caller might pass
    String huge = builder.toString();
    int window = Screen.openWindow("Huge", 100, 100, 600, 400);
    Screen.run(0);
    expectOne(IxaDialogs.modifyMenuBar());

    // Alerts: the whole text as message and as informative text; the text field gives it back.
    user.pressOnceShown("Fine");
    check(IxaDialogs.showMacDialog(huge, huge, "Fine", "No") == 1, "showMacDialog");
    user.pressOnceShown("Third");
    check(IxaDialogs.show3ButtonMacDialog("Huge", huge, "First", null, "Third") == 2, "3 buttons");
    user.pressOnceShown("OK");
    check(huge.equals(IxaDialogs.showMacTextEntryDialog("Huge", "", "OK", "No", huge)), "whole");

    // A menu item titled with the text, and its identity coming back to Java whole.
    List<String> chosen = new ArrayList<>();
    Ixa.register(huge, () -> chosen.add("huge"));
    String escaped = Json.escaped(huge);
    user.choose(huge);
    expectOne(IxaDialogs.showMacContextMenuWithJSON(5, 5,
        "[{\"HEADER\":\"" + escaped + "\",\"IDENTITY\":\"" + escaped + "\"}]"));
    Ixa.unregister(huge);
    check(chosen.equals(List.of("huge")), "the huge identity reaches Java");

    // Sheets and the rest take it without a fuss.
    List<String> received = new ArrayList<>();
    Ixa.register(huge, (String value) -> received.add(value));
    expectOne(IxaDialogs.showTextEntrySheetDialog(huge, huge, "Go", "Stop", huge));
    user.press("Go");
    EveryNative.runUntil(user);
    Ixa.unregister(huge);
    check(received.equals(List.of("")), "the sheet sends its huge identity");
    expectOne(IxaDialogs.initProgressDialog());
    expectOne(IxaDialogs.updateProgressDialog(huge, huge, 50));
    expectOne(IxaDialogs.closeProgressDialog());
    IxaDialogs.getMiscMacInfo(huge);
    Screen.close(window);
  }

  // Button titles wider than the alert would be: each button must still be there to press.
  static void longButtonTitles(Answerer user) {
    int window = Screen.openWindow("Long", 100, 100, 600, 400);
    Screen.run(0);
    String first = "Save the document under its old name and close the window";
    String second = "Close the window without saving any of the changes made";
    String third = "Keep the window open so that the changes can be looked at";
    user.press(second);
    check(IxaDialogs.showMacDialog("Close?", "", first, second) == 0, "the second of two");
    user.press(third);
    check(IxaDialogs.show3ButtonMacDialog("Close?", "", first, second, third) == 3, "the third");
    user.press(second);
    check(IxaDialogs.showMacTextEntryDialog("Name?", "", first, second, "x") == null, "cancelled");
    Screen.close(window);
  }

  static void loneSurrogatesAndNul(Answerer user) throws Exception {
    List<String> texts =
        List.of(
            "\ud800",
            "\udfff",
            "Open\udbff",
            "\udc00Quit",
            "a\ud800b\udc00c",
            "\udc00\ud800",
            "\u0000",
            "x\u0000y",
            "\ud800\u0000\udc00",
            "");
    for (String text : texts) EveryNative.call(user, text);
    nullArguments(user);
  }

  // Null in every string argument; the default button answers every alert and sheet.
  private static void nullArguments(Answerer user) {
    int window = Screen.openWindow("Nulls", 100, 100, 600, 400);
    Screen.run(0);
    expectOne(IxaDialogs.modifyMenuBar());
    pressReturnInAlert(user);
    IxaDialogs.showMacDialog(null, null, null, null);
    pressReturnInAlert(user);
    IxaDialogs.show3ButtonMacDialog(null, null, null, null, null);
    pressReturnInAlert(user);
    IxaDialogs.showMacTextEntryDialog(null, null, null, null, null);
    expectOne(IxaDialogs.showTextEntrySheetDialog(null, null, null, null, null));
    pressReturn(user);
    EveryNative.runUntil(user);
    expectOne(IxaDialogs.initProgressDialog());
    expectOne(IxaDialogs.updateProgressDialog(null, null, 3));
    expectOne(IxaDialogs.closeProgressDialog());
    expectOne(IxaDialogs.showMacContextMenuWithJSON(1, 1, null));
    expectOne(IxaDialogs.runCommandAsNSTask(null));
    IxaDialogs.getMiscMacInfo(null);
    Screen.close(window);
    Screen.run(0.01);
  }

  // The sheet is up when its call returns; an alert only while its call runs.
  private static void pressReturn(Answerer user) {
    user.expect(
        () -> {
          User.pressKey("Return");
          return true;
        },
        "press Return");
  }

  private static void pressReturnInAlert(Answerer user) {
    user.expectInAlert(
        () -> {
          User.pressKey("Return");
          return true;
        },
        "press Return in the alert");
  }
}
