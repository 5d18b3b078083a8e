package ixa.testkit;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.IxaDialogs;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.concurrent.Callable;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.ExecutionException;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * Screen from any thread: the test thread is the platform's main thread and serves the run loop
 * with Screen.run, while a second thread calls Screen and waits for the main thread to act.
 */
class ScreenTest {
  private final List<Integer> opened = new ArrayList<>();

  @BeforeAll
  static void becomeTheMainThread() {
    // The first thread that uses the platform is its main thread: make it this one.
    Screen.run(0);
  }

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

  /** Runs work on a second thread while this (main) thread serves the run loop. */
  private static <T> T onSecondThread(Callable<T> work) throws Exception {
    CompletableFuture<T> result = new CompletableFuture<>();
    Thread helper =
        new Thread(
            () -> {
              try {
                result.complete(work.call());
              } catch (Throwable thrown) {
                result.completeExceptionally(thrown);
              }
            },
            "screen-test-helper");
    helper.start();
    long deadline = System.nanoTime() + TimeUnit.SECONDS.toNanos(30);
    while (!result.isDone() && System.nanoTime() < deadline) Screen.run(0.01);
    helper.join(1000);
    try {
      return result.get(0, TimeUnit.SECONDS);
    } catch (ExecutionException failed) {
      if (failed.getCause() instanceof Exception exception) throw exception;
      throw failed;
    }
  }

  private int open(String title, double x, double y, double width, double height)
      throws Exception {
    int number = onSecondThread(() -> Screen.openWindow(title, x, y, width, height));
    opened.add(number);
    return number;
  }

  private static Map<String, Object> describedWindow(Map<String, Object> screen, int number) {
    for (String section : new String[] {"windows", "offscreenWindows"}) {
      for (Object window : Json.array(screen.get(section))) {
        Map<String, Object> fields = Json.object(window);
        if (((Double) fields.get("number")).intValue() == number) return fields;
      }
    }
    return null;
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

    onSecondThread(
        () -> {
          Screen.orderFront(first);
          Screen.setTitle(second, "Renamed");
          return null;
        });
    assertArrayEquals(
        new String[] {title, "Renamed"}, Arrays.copyOfRange(Screen.windowTitles(), 0, 2));

    onSecondThread(
        () -> {
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
    Map<String, Object> screen = Json.object(Json.parse(text));
    for (String key :
        new String[] {
          "windows", "offscreenWindows", "mainMenu", "contextMenu", "alert", "colorPanel",
          "userDefaults"
        }) {
      assertTrue(screen.containsKey(key), key);
    }
    Map<String, Object> window = describedWindow(screen, number);
    assertEquals("Described", window.get("title"));
    assertEquals("NSWindow", window.get("class"));
    assertEquals(List.of(100.0, 150.0, 640.0, 480.0), window.get("frame"));
    assertEquals(15.0, window.get("styleMask"));
    assertEquals(Boolean.TRUE, window.get("visible"));
    assertEquals(Boolean.TRUE, window.get("key"));
    assertEquals(Boolean.TRUE, window.get("inOrderedWindows"));
    assertEquals(Boolean.FALSE, window.get("fullScreen"));
    assertNull(window.get("sheetParent"));
    assertTrue(window.containsKey("appearance"));

    Map<String, Object> content = Json.object(window.get("contentView"));
    assertEquals(List.of(0.0, 0.0, 640.0, 452.0), content.get("frame"));
    List<Object> subviews = Json.array(content.get("subviews"));
    assertEquals(1, subviews.size());
    Map<String, Object> javaView = Json.object(subviews.get(0));
    assertEquals("NSView", javaView.get("class"));
    assertEquals(content.get("frame"), javaView.get("frame"));
    assertEquals(18.0, javaView.get("autoresizingMask"));
    assertEquals(Boolean.FALSE, javaView.get("hidden"));
  }

  @Test
  void unknownWindowsAndBadArgumentsGiveClearExceptions() throws Exception {
    int number = open("Stays", 0, 0, 200, 100);
    for (int unknown : new int[] {-1, 0, 987654}) {
      IllegalArgumentException thrown =
          assertThrows(
              IllegalArgumentException.class,
              () ->
                  onSecondThread(
                      () -> {
                        Screen.setTitle(unknown, "Nope");
                        return null;
                      }));
      assertTrue(thrown.getMessage().contains(Integer.toString(unknown)), thrown.getMessage());
      assertThrows(IllegalArgumentException.class, () -> Screen.close(unknown));
      assertThrows(IllegalArgumentException.class, () -> Screen.orderFront(unknown));
    }
    assertThrows(NullPointerException.class, () -> Screen.setTitle(number, null));
    assertThrows(NullPointerException.class, () -> Screen.openWindow(null, 0, 0, 10, 10));
    assertThrows(
        IllegalArgumentException.class, () -> Screen.openWindow("x", Double.NaN, 0, 10, 10));
    assertThrows(IllegalArgumentException.class, () -> Screen.openWindow("x", 0, 0, -1, 10));
    assertThrows(IllegalArgumentException.class, () -> Screen.run(-1));
    assertThrows(IllegalArgumentException.class, () -> Screen.run(Double.POSITIVE_INFINITY));
    assertEquals("Stays", Screen.windowTitles()[0]);
  }

  @Test
  void applicationMenuItemsAppearInTheMainMenu() throws Exception {
    onSecondThread(
        () -> {
          Screen.setApplicationMenu("About Ixa", "-", "Quit Ixa");
          return null;
        });
    assertThrows(NullPointerException.class, () -> Screen.setApplicationMenu((String[]) null));
    assertThrows(NullPointerException.class, () -> Screen.setApplicationMenu("kept?", null));
    Map<String, Object> screen = Json.object(Json.parse(Screen.describe()));
    Map<String, Object> applicationMenu = Json.object(Json.array(screen.get("mainMenu")).get(0));
    List<Object> items = Json.array(applicationMenu.get("submenu"));
    assertEquals(3, items.size());
    assertEquals("About Ixa", Json.object(items.get(0)).get("title"));
    assertEquals(Boolean.TRUE, Json.object(items.get(1)).get("separator"));
    assertEquals("Quit Ixa", Json.object(items.get(2)).get("title"));
  }

  @Test
  void logIsReadableFromAnyThread() throws Exception {
    Screen.clearLog();
    assertEquals(0, Screen.log().length);
    // A native method of the library called off the main thread logs that it did nothing.
    onSecondThread(IxaDialogs::enterFullScreen);
    String[] lines = onSecondThread(Screen::log);
    assertTrue(
        Arrays.stream(lines).anyMatch(line -> line.contains("enterFullScreen")),
        Arrays.toString(lines));
    Screen.clearLog();
    assertEquals(0, Screen.log().length);
  }

  @Test
  void aCallerGivesUpWhenTheMainThreadDoesNotServe() throws Exception {
    CompletableFuture<Throwable> outcome = new CompletableFuture<>();
    Thread helper =
        new Thread(
            () -> {
              try {
                Screen.describe();
                outcome.complete(null);
              } catch (Throwable thrown) {
                outcome.complete(thrown);
              }
            });
    long start = System.nanoTime();
    helper.start();
    helper.join(20_000); // the main thread does not serve the run loop meanwhile
    Throwable thrown = outcome.getNow(null);
    assertTrue(thrown instanceof IllegalStateException, String.valueOf(thrown));
    assertTrue(System.nanoTime() - start >= TimeUnit.SECONDS.toNanos(9));
    // The abandoned call does nothing when the loop runs again.
    Screen.run(0);
  }
}
