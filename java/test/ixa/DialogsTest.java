package ixa;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonObject;
import com.google.gson.JsonPrimitive;
import ixa.testing.Described;
import ixa.testing.UpcallRecorder;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.List;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * Alerts, sheets and the sheetified window driven as a user would: a second thread presses and
 * types while the platform's main thread is inside the alert's modal loop or serves the run loop.
 */
class DialogsTest {
  private final java.util.List<Integer> opened = new java.util.ArrayList<>();

  @BeforeAll
  static void rememberTheEnvironment() {
    IxaDialogs.renderMacButton(0, 0, 0); // remembers the environment the upcalls use
  }

  @AfterEach
  void closeWindows() {
    IxaDialogs.closeSheetifiedWindow();
    for (int window : opened) {
      try {
        Screen.close(window);
      } catch (IllegalArgumentException alreadyGone) {
        // closed by the test itself
      }
    }
    Screen.run(0.05);
  }

  private int open(String title) {
    int window = Screen.openWindow(title, 100 + 20 * opened.size(), 200, 600, 400);
    opened.add(window);
    Screen.run(0);
    return window;
  }

  /** Runs user on a second thread once an alert is up. */
  private static CompletableFuture<Void> asUser(Runnable user) {
    return CompletableFuture.runAsync(() -> {
      for (int i = 0; i < 2000 && !Described.screen().get("alert").isJsonObject(); i++) {
        try {
          Thread.sleep(5);
        } catch (InterruptedException e) {
          Thread.currentThread().interrupt();
        }
      }
      user.run();
    });
  }

  @Test
  void alertButtonsPressedFromAnotherThread() throws Exception {
    open("Main");
    CompletableFuture<Void> user = asUser(() -> assertTrue(User.pressButton("Discard")));
    assertEquals(0, IxaDialogs.showMacDialog("Close?", "Unsaved changes", "Save", "Discard"));
    user.get(10, TimeUnit.SECONDS);

    user = asUser(() -> assertTrue(User.pressButton("Later")));
    assertEquals(2, IxaDialogs.show3ButtonMacDialog("Update?", "", "Install", null, "Later"));
    user.get(10, TimeUnit.SECONDS);

    user = asUser(() -> User.pressKey("Return")); // the first button is the default
    assertEquals(1, IxaDialogs.showMacDialog("Done", "", "OK", null));
    user.get(10, TimeUnit.SECONDS);
  }

  @Test
  void aTextEntryAlertsFieldPastesAndCopiesThroughTheClipboard() throws Exception {
    Screen.setClipboard("pasted 東京");
    CompletableFuture<Void> user = asUser(() -> {
      User.focusField(0);
      User.pressShortcut("a", "command");
      User.pressShortcut("v", "command");
      User.type("!");
      User.pressShortcut("a", "command");
      User.pressShortcut("c", "command");
      User.pressKey("Return");
    });
    assertEquals("pasted 東京!",
                 IxaDialogs.showMacTextEntryDialog("Name?", "", "OK", "Cancel", "Name"));
    user.get(10, TimeUnit.SECONDS);
    assertEquals("pasted 東京!", Screen.clipboard());
  }

  @Test
  void textEntryAlertReturnsTheTypedTextOrNull() throws Exception {
    CompletableFuture<Void> user = asUser(() -> {
      User.focusField(0);
      User.type(" 東京 😀");
      User.pressKey("Return");
    });
    assertEquals("Name 東京 😀",
                 IxaDialogs.showMacTextEntryDialog("Name?", "", "OK", "Cancel", "Name"));
    user.get(10, TimeUnit.SECONDS);

    user = asUser(() -> assertTrue(User.pressButton("Cancel")));
    assertNull(IxaDialogs.showMacTextEntryDialog("Name?", "", "OK", "Cancel", "x"));
    user.get(10, TimeUnit.SECONDS);
  }

  @Test
  void textEntrySheetReturnSendsIdentityAndTextCancelSendsNothing() {
    int main = open("Main");
    UpcallRecorder.record("RENAME");
    UpcallRecorder.drain();
    Screen.clearLog();
    IxaDialogs.showTextEntrySheetDialog("Rename", "New name:", "Rename", "Cancel", "RENAME");
    assertEquals(List.of("ID: RENAME"), List.of(Screen.log())); // one line per sheet
    Screen.run(0.02);
    JsonObject screen = Described.screen();
    int sheet = Described.attachedSheetNumber(screen, main);
    assertNotEquals(0, sheet, "the sheet is up");
    assertEquals(List.of(sheet), Described.sheetsOf(screen, main)); // and names its window
    User.focusField(0);
    User.type("Q3");
    User.pressKey("Return");
    Screen.run(0.02);
    assertEquals("RENAME|Q3", UpcallRecorder.drain());

    IxaDialogs.showTextEntrySheetDialog("Rename", "New name:", "Rename", "Cancel", "RENAME");
    Screen.run(0.02);
    assertTrue(User.pressButton("Cancel"));
    Screen.run(0.02);
    assertEquals("", UpcallRecorder.drain());
    assertEquals(List.of("ID: RENAME", "ID: RENAME"), List.of(Screen.log()));
  }

  @Test
  void progressSheetAppliesTheUpdateRule() {
    int main = open("Main");
    assertEquals(1, IxaDialogs.initProgressDialog());
    IxaDialogs.updateProgressDialog("Copying", "first", 30);
    IxaDialogs.updateProgressDialog("Ignored", "repeat", 30);
    assertFalse(Screen.describe().contains("Ignored"));
    JsonObject sheet = Described.attachedSheet(Described.screen(), main);
    assertEquals(List.of("Copying", "first"), labels(sheet), sheet.toString());
    JsonObject bar = progressBar(sheet);
    assertEquals(new JsonPrimitive(30), bar.get("doubleValue"), bar.toString());
    assertEquals(new JsonPrimitive(false), bar.get("indeterminate"), bar.toString());
    IxaDialogs.updateProgressDialog("Waiting", "", -100);
    sheet = Described.attachedSheet(Described.screen(), main);
    assertEquals(List.of("Waiting", ""), labels(sheet), sheet.toString());
    assertEquals(new JsonPrimitive(true), progressBar(sheet).get("indeterminate"));
    assertEquals(1, IxaDialogs.closeProgressDialog());
  }

  /** The texts of a window's labels, in the order they were added. */
  private static List<String> labels(JsonObject window) {
    return Described.ofClass(window, "NSTextField")
        .stream()
        .map(label -> label.get("text").getAsString())
        .toList();
  }

  private static JsonObject progressBar(JsonObject window) {
    List<JsonObject> bars = Described.ofClass(window, "NSProgressIndicator");
    assertEquals(1, bars.size(), window.toString());
    return bars.get(0);
  }

  @Test
  void sheetifiedWindowIsAttachedATenthOfASecondLater() {
    int main = open("Main");
    int sheet = open("SHEETIFY");
    assertEquals(1, IxaDialogs.sheetifyWindow());
    String[] titles = Screen.windowTitles();
    assertEquals("Main", titles[0]); // taken off the screen at once
    Screen.run(0.2);
    assertEquals(List.of(sheet), Described.sheetsOf(Described.screen(), main));
    IxaDialogs.closeSheetifiedWindow();
    Screen.run(0.02);
    assertEquals(List.of(), Described.sheetsOf(Described.screen(), main));
  }

  @Test
  void onlyTheExactMarkerTitleIsSheetified() {
    int main = open("Main");
    open("Sheetify");
    open("SHEETIFY ");
    assertEquals(1, IxaDialogs.sheetifyWindow());
    Screen.run(0.2);
    assertEquals(List.of(), Described.sheetsOf(Described.screen(), main));
    assertEquals(3, Screen.windowTitles().length);
  }
}
