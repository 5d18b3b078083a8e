package ixa.testkit;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonArray;
import com.google.gson.JsonNull;
import com.google.gson.JsonObject;
import com.google.gson.JsonPrimitive;
import ixa.testing.Described;
import java.util.Arrays;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.ExecutionException;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;

/**
 * The simulated user from a second thread while the platform's main thread is inside an alert's
 * runModal, which the test's thread waits for:
 * pressing buttons, typing into the accessory field, Return and Escape, the description and
 * snapshots of the alert, and the errors a caller can get.
 */
class UserTest {
  /** What the user thread does while the alert runs; may throw. */
  interface UserActions {
    void run() throws Exception;
  }

  /**
   * Runs the alert on the main thread while a second thread acts as the user; returns the
   * alert's response after rethrowing whatever went wrong on the user's thread. Should the
   * user's actions fail before they end the alert, Escape and Return end it.
   */
  private static int runAlertAnsweredBy(UserActions actions, String message, String fieldText,
                                        String... buttons) throws Exception {
    CompletableFuture<Void> done = new CompletableFuture<>();
    Thread user = new Thread(() -> {
      try {
        actions.run();
        done.complete(null);
      } catch (Throwable thrown) {
        done.completeExceptionally(thrown);
        try {
          User.pressKey("Escape");
          User.pressKey("Return");
        } catch (RuntimeException ignored) {
          // the alert may have ended already
        }
      }
    }, "simulated-user");
    user.start();
    int response = Modal.runAlert(message, fieldText, buttons);
    user.join(TimeUnit.SECONDS.toMillis(15));
    try {
      done.get(0, TimeUnit.SECONDS);
    } catch (ExecutionException failed) {
      if (failed.getCause() instanceof Exception exception) throw exception;
      throw failed;
    }
    return response;
  }

  @Test
  void pressButtonAnswersTheAlertWithThatButtonsCode() throws Exception {
    int response = runAlertAnsweredBy(()
                                          -> assertTrue(User.pressButton("Later")),
                                      "Update now?", null, "Update", "Later", "Never");
    assertEquals(1001, response);
    response = runAlertAnsweredBy(() -> assertTrue(User.pressButton("OK")), "Just OK", null);
    assertEquals(1000, response);
  }

  @Test
  void typingIntoTheAccessoryFieldThenReturnAccepts() throws Exception {
    int response = runAlertAnsweredBy(() -> {
      User.focusField(0);
      User.pressKey("End");
      User.pressKey("Backspace");
      User.type(" Grüße \uD83D\uDE00");
      User.pressKey("Return");
    }, "Name the file", "drafts", "Save", "Cancel");
    assertEquals(1000, response);
    assertEquals("draft Grüße \uD83D\uDE00", Modal.lastFieldText());
  }

  @Test
  void pressShortcutTakesTheKeyNamesThatPressKeyTakes() throws Exception {
    int response = runAlertAnsweredBy(() -> {
      User.focusField(0);
      User.pressKey("End");
      User.pressShortcut("Left");
      User.type("X");
      User.pressKey("LEFT");
      User.pressShortcut("left");
      User.type("Y");
      User.pressShortcut("Return");
    }, "Name the file", "draft", "Save", "Cancel");
    assertEquals(1000, response);
    assertEquals("draYfXt", Modal.lastFieldText());
  }

  @Test
  void escapePressesCancelWhateverWasTyped() throws Exception {
    int response = runAlertAnsweredBy(() -> {
      User.focusField(0);
      User.type("ignored");
      User.pressKey("escape");
    }, "Rename", "", "Rename", "Cancel");
    assertEquals(1001, response);
  }

  @Test
  void describeAndSnapshotShowTheRunningAlert() throws Exception {
    Object[] seen = new Object[3];
    int response = runAlertAnsweredBy(() -> {
      // pressButton waits for the alert; a title that is not there yet is fine.
      waitForAlert();
      seen[0] = Described.screen().get("alert");
      int window = Described.windowNumber(((JsonObject)seen[0]).get("window"));
      seen[1] = Snapshots.snapshot(window, 2);
      seen[2] = Snapshots.snapshotScreen(1);
      assertTrue(User.pressButton("Don't Save"));
    }, "Save changes?", null, "Save", "Cancel", "Don't Save");
    assertEquals(1002, response);
    JsonObject alert = (JsonObject)seen[0];
    assertEquals(new JsonPrimitive("Save changes?"), alert.get("messageText"));
    assertEquals(new JsonPrimitive(0), alert.get("alertStyle"));
    assertEquals(JsonNull.INSTANCE, alert.get("icon"));
    assertEquals(JsonNull.INSTANCE, alert.get("accessoryView"));
    JsonArray buttons = alert.getAsJsonArray("buttons");
    assertEquals(3, buttons.size());
    assertEquals(new JsonPrimitive("\r"), buttons.get(0).getAsJsonObject().get("keyEquivalent"));
    assertEquals(new JsonPrimitive("\u001b"),
                 buttons.get(1).getAsJsonObject().get("keyEquivalent"));
    assertEquals(new JsonPrimitive("d"), buttons.get(2).getAsJsonObject().get("keyEquivalent"));
    assertPng((byte[])seen[1], -1, -1);
    assertPng((byte[])seen[2], 1440, 900);
    // Once the alert has ended, the description says so.
    assertEquals(JsonNull.INSTANCE, Described.screen().get("alert"));
  }

  @Test
  void badArgumentsAreRefused() {
    for (String key : new String[] {"NoSuchKey", "", "ab"}) {
      String byPressKey =
          assertThrows(IllegalArgumentException.class, () -> User.pressKey(key)).getMessage();
      String byShortcut =
          assertThrows(IllegalArgumentException.class, () -> User.pressShortcut(key, "command"))
              .getMessage();
      assertEquals("User.pressKey: unknown key \"" + key + "\"", byPressKey);
      assertEquals("User.pressShortcut: unknown key \"" + key + "\"", byShortcut);
    }
    assertThrows(IllegalArgumentException.class, () -> User.pressShortcut("a", "hyper"));
    assertThrows(NullPointerException.class, () -> User.pressShortcut(null));
    assertThrows(IllegalArgumentException.class, () -> User.click(987654, 1, 1));
    assertThrows(IllegalArgumentException.class, () -> User.click(1, Double.NaN, 1));
    assertThrows(NullPointerException.class, () -> User.type(null));
    assertThrows(NullPointerException.class, () -> User.pressButton(null));
    assertThrows(IllegalArgumentException.class, () -> Snapshots.snapshotScreen(0));
    assertThrows(IllegalArgumentException.class, () -> Snapshots.snapshot(987654, 1));
  }

  @Test
  void aMainThreadStuckInAHandlerLeavesTheUserWaitingThenFailing() throws Exception {
    int window = Screen.openWindow("Parent", 100, 100, 400, 300);
    StuckHandler stuck = StuckHandler.start();
    try {
      IllegalStateException thrown = assertThrows(IllegalStateException.class, () -> User.type("x"));
      assertTrue(thrown.getMessage().startsWith("User.type: "), thrown.getMessage());
    } finally {
      stuck.release();
    }
    Screen.run(0); // serve what the user left behind
    Screen.close(window);
  }

  private static void waitForAlert() throws InterruptedException {
    for (int i = 0; i < 1000; i++) {
      if (Described.screen().get("alert").isJsonObject()) return;
      Thread.sleep(5);
    }
  }

  private static void assertPng(byte[] png, int width, int height) {
    assertNotNull(png);
    assertArrayEquals(new byte[] {(byte)0x89, 'P', 'N', 'G'}, Arrays.copyOfRange(png, 0, 4));
    int pngWidth = readInt(png, 16);
    int pngHeight = readInt(png, 20);
    assertTrue(pngWidth > 0 && pngHeight > 0);
    if (width > 0) assertEquals(width, pngWidth);
    if (height > 0) assertEquals(height, pngHeight);
    assertFalse(png.length < 100);
  }

  private static int readInt(byte[] bytes, int at) {
    return ((bytes[at] & 0xff) << 24) | ((bytes[at + 1] & 0xff) << 16) |
        ((bytes[at + 2] & 0xff) << 8) | (bytes[at + 3] & 0xff);
  }
}
