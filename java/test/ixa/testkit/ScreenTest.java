package ixa.testkit;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonArray;
import com.google.gson.JsonNull;
import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import com.google.gson.JsonPrimitive;
import ixa.IxaDialogs;
import ixa.testing.Described;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.Callable;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.ExecutionException;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;

/**
 * Screen from any thread: the platform's own main thread serves the run loop all the time, and
 * the test's thread and a second thread call Screen and wait for the main thread to act.
 */
class ScreenTest {
  private final List<Integer> opened = new ArrayList<>();

  @AfterEach
  void closeWindows() {
    for (int number : opened) {
      try {
        Screen.close(number);
      } catch (IllegalArgumentException alreadyClosed) {
        // closed by the test itself
      }
    }
    Screen.run(0);
  }

  /** Runs work on a second thread while this thread lets the run loop serve. */
  private static <T> T onSecondThread(Callable<T> work) throws Exception {
    CompletableFuture<T> result = new CompletableFuture<>();
    Thread helper = new Thread(() -> {
      try {
        result.complete(work.call());
      } catch (Throwable thrown) {
        result.completeExceptionally(thrown);
      }
    }, "screen-test-helper");
    helper.start();
    long deadline = System.nanoTime() + TimeUnit.SECONDS.toNanos(30);
    while (!result.isDone() && System.nanoTime() < deadline)
      Screen.run(0.01);
    helper.join(1000);
    try {
      return result.get(0, TimeUnit.SECONDS);
    } catch (ExecutionException failed) {
      if (failed.getCause() instanceof Exception exception) throw exception;
      throw failed;
    }
  }

  private int open(String title, double x, double y, double width, double height) throws Exception {
    int number = onSecondThread(() -> Screen.openWindow(title, x, y, width, height));
    opened.add(number);
    return number;
  }

  @Test
  void windowsOpenAndMoveFromASecondThread() throws Exception {
    String title = "Ja \"Ü\" \uD83D\uDE00";
    int first = open(title, 100, 100, 400, 300);
    int second = open("Second", 200, 200, 300, 200);
    assertNotEquals(first, second);
    String[] titles = onSecondThread(Screen::windowTitles);
    assertEquals("Second", titles[0]);
    assertEquals(title, titles[1]);

    onSecondThread(() -> {
      Screen.orderFront(first);
      Screen.setTitle(second, "Renamed");
      return null;
    });
    assertArrayEquals(new String[] {title, "Renamed"},
                      Arrays.copyOfRange(Screen.windowTitles(), 0, 2));

    onSecondThread(() -> {
      Screen.close(first);
      return null;
    });
    assertFalse(Arrays.asList(Screen.windowTitles()).contains(title));
    // A closed testkit window is released: its number names nothing any more.
    assertThrows(IllegalArgumentException.class, () -> Screen.orderFront(first));
  }

  @Test
  void describeShowsTheWindowAsAJavaToolkitMakesIt() throws Exception {
    int number = open("Described", 100, 150, 640, 480);
    String text = onSecondThread(Screen::describe);
    JsonObject screen = JsonParser.parseString(text).getAsJsonObject();
    for (String key : new String[] {"windows", "offscreenWindows", "mainMenu", "contextMenu",
                                    "alert", "colorPanel", "userDefaults"}) {
      assertTrue(screen.has(key), key);
    }
    JsonObject window = Described.window(screen, number);
    assertEquals(new JsonPrimitive("Described"), window.get("title"));
    assertEquals(new JsonPrimitive("NSWindow"), window.get("class"));
    assertEquals(List.of(100.0, 150.0, 640.0, 480.0), Described.numbers(window.get("frame")));
    assertEquals(new JsonPrimitive(15), window.get("styleMask"));
    assertEquals(new JsonPrimitive(true), window.get("visible"));
    assertEquals(new JsonPrimitive(true), window.get("key"));
    assertEquals(new JsonPrimitive(true), window.get("inOrderedWindows"));
    assertEquals(new JsonPrimitive(false), window.get("fullScreen"));
    assertEquals(JsonNull.INSTANCE, window.get("sheetParent"));
    assertTrue(window.has("appearance"));

    JsonObject content = window.getAsJsonObject("contentView");
    assertEquals(List.of(0.0, 0.0, 640.0, 452.0), Described.numbers(content.get("frame")));
    JsonArray subviews = content.getAsJsonArray("subviews");
    assertEquals(1, subviews.size());
    JsonObject javaView = subviews.get(0).getAsJsonObject();
    assertEquals(new JsonPrimitive("NSView"), javaView.get("class"));
    assertEquals(content.get("frame"), javaView.get("frame"));
    assertEquals(new JsonPrimitive(18), javaView.get("autoresizingMask"));
    assertEquals(new JsonPrimitive(false), javaView.get("hidden"));
  }

  @Test
  void unknownWindowsAndBadArgumentsGiveClearExceptions() throws Exception {
    int number = open("Stays", 0, 0, 200, 100);
    for (int unknown : new int[] {-1, 0, 987654}) {
      IllegalArgumentException thrown =
          assertThrows(IllegalArgumentException.class, () -> onSecondThread(() -> {
                         Screen.setTitle(unknown, "Nope");
                         return null;
                       }));
      assertTrue(thrown.getMessage().contains(Integer.toString(unknown)), thrown.getMessage());
      assertThrows(IllegalArgumentException.class, () -> Screen.close(unknown));
      assertThrows(IllegalArgumentException.class, () -> Screen.orderFront(unknown));
    }
    assertThrows(NullPointerException.class, () -> Screen.setTitle(number, null));
    assertThrows(NullPointerException.class, () -> Screen.openWindow(null, 0, 0, 10, 10));
    assertThrows(IllegalArgumentException.class,
                 () -> Screen.openWindow("x", Double.NaN, 0, 10, 10));
    assertThrows(IllegalArgumentException.class, () -> Screen.openWindow("x", 0, 0, -1, 10));
    assertThrows(IllegalArgumentException.class, () -> Screen.run(-1));
    assertThrows(IllegalArgumentException.class, () -> Screen.run(Double.POSITIVE_INFINITY));
    assertEquals("Stays", Screen.windowTitles()[0]);
  }

  @Test
  void applicationMenuItemsAppearInTheMainMenu() throws Exception {
    onSecondThread(() -> {
      Screen.setApplicationMenu("About Ixa", "-", "Quit Ixa");
      return null;
    });
    assertThrows(NullPointerException.class, () -> Screen.setApplicationMenu((String[])null));
    assertThrows(NullPointerException.class, () -> Screen.setApplicationMenu("kept?", null));
    JsonObject applicationMenu =
        Described.screen().getAsJsonArray("mainMenu").get(0).getAsJsonObject();
    JsonArray items = applicationMenu.getAsJsonArray("submenu");
    assertEquals(3, items.size());
    assertEquals(new JsonPrimitive("About Ixa"), items.get(0).getAsJsonObject().get("title"));
    assertEquals(new JsonPrimitive(true), items.get(1).getAsJsonObject().get("separator"));
    assertEquals(new JsonPrimitive("Quit Ixa"), items.get(2).getAsJsonObject().get("title"));
  }

  @Test
  void logIsReadableFromAnyThread() throws Exception {
    open("Parent", 100, 100, 400, 300);
    Screen.clearLog();
    assertEquals(0, Screen.log().length);
    // A native method of the library called on a second thread is carried out, and logs.
    assertEquals(1, onSecondThread(
                        () -> IxaDialogs.showTextEntrySheetDialog("T", "M", "OK", "No", "LOGGED")));
    String[] lines = onSecondThread(Screen::log);
    assertTrue(Arrays.stream(lines).anyMatch(line -> line.contains("ID: LOGGED")),
               Arrays.toString(lines));
    Screen.clearLog();
    assertEquals(0, Screen.log().length);
  }

  @Test
  void aCallerGivesUpWhenTheMainThreadDoesNotServe() throws Exception {
    open("Parent", 100, 100, 400, 300);
    StuckHandler stuck = StuckHandler.start();
    try {
      long start = System.nanoTime();
      assertThrows(IllegalStateException.class, Screen::describe);
      assertTrue(System.nanoTime() - start >= TimeUnit.SECONDS.toNanos(9));
    } finally {
      stuck.release();
    }
    // The abandoned call does nothing when the loop serves again.
    Screen.run(0);
  }
}
