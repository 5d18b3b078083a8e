package ixa.careless;

import static ixa.careless.EveryNative.check;
import static ixa.careless.EveryNative.expectOne;

import ixa.IxaDialogs;
import ixa.testing.Described;
import ixa.testkit.Screen;
import java.util.Arrays;
import java.util.List;

/**
 * Windows closed from Java while the library still refers to them: the parent of a text-entry or
 * progress sheet, the sheetified window or its parent, a restyled window. Every native method
 * is called afterwards; each must act as on a window that is gone.
 */
final class ClosedUnderSheetCases {
  private ClosedUnderSheetCases() {}

  static void textEntrySheetParentClosed(Answerer user) throws Exception {
    int window = open("Main");
    expectOne(IxaDialogs.modifyMenuBar());
    expectOne(IxaDialogs.showTextEntrySheetDialog("Rename", "New name:", "Rename", "Cancel", "R"));
    Screen.run(0.02);
    check(Described.attachedSheetNumber(Described.screen(), window) != 0, "the sheet is up");
    Screen.close(window);
    churn();
    EveryNative.call(user, "sheet's window closed");
  }

  static void progressSheetParentClosed(Answerer user) throws Exception {
    int window = open("Main");
    expectOne(IxaDialogs.initProgressDialog());
    expectOne(IxaDialogs.updateProgressDialog("Copying", "half", 50));
    Screen.run(0.02);
    Screen.close(window);
    churn();
    EveryNative.call(user, "progress window closed");
  }

  static void sheetifiedWindowClosed(Answerer user) throws Exception {
    int main = open("Main");
    int sheet = open("SHEETIFY");
    expectOne(IxaDialogs.sheetifyWindow());
    Screen.run(0.2);
    check(Described.sheetsOf(Described.screen(), main).equals(List.of(sheet)),
          "the window is attached as a sheet");
    Screen.close(sheet);
    churn();
    EveryNative.call(user, "sheetified closed");
  }

  static void sheetifiedParentClosed(Answerer user) throws Exception {
    int main = open("Main");
    open("SHEETIFY");
    expectOne(IxaDialogs.sheetifyWindow());
    Screen.run(0.2);
    Screen.close(main);
    churn();
    EveryNative.call(user, "sheetified's parent closed");
  }

  static void sheetifiedClosedBeforeAttaching(Answerer user) throws Exception {
    int main = open("Main");
    int sheet = open("SHEETIFY");
    expectOne(IxaDialogs.sheetifyWindow());
    Screen.close(sheet); // before the attachment a tenth of a second later
    Screen.run(0.2);
    check(Described.sheetsOf(Described.screen(), main).isEmpty(), "a closed window is no sheet");
    check(Arrays.asList(Screen.windowTitles()).equals(List.of("Main")), "only Main");
    churn();
    EveryNative.call(user, "closed before attached");
  }

  static void restyledWindowClosed(Answerer user) throws Exception {
    int window = open("Main");
    expectOne(IxaDialogs.modifyWindows());
    Screen.close(window);
    churn();
    EveryNative.call(user, "restyled closed");
  }

  // What an application goes on doing meanwhile: windows come and go, so the memory of the
  // closed one is soon used again, and a stale reference to it reads something else.
  private static void churn() {
    Screen.run(0.02);
    for (int i = 0; i < 20; i++) {
      int window = Screen.openWindow("Churn " + i, 120 + i, 120 + i, 500 + i, 300 + i);
      check(IxaDialogs.renderMacButton(100 + i, 30, 0) == 0, "renderMacButton");
      Screen.close(window);
    }
    Screen.run(0.02);
  }

  private static int open(String title) {
    int window = Screen.openWindow(title, 100, 100, 600, 400);
    Screen.run(0);
    return window;
  }
}
