package ixa.testkit;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.HashSet;
import java.util.List;
import java.util.Map;
import java.util.Set;
import org.junit.jupiter.api.extension.AfterEachCallback;
import org.junit.jupiter.api.extension.BeforeEachCallback;
import org.junit.jupiter.api.extension.ExtensionContext;
import org.junit.jupiter.api.extension.TestExecutionExceptionHandler;

/**
 * A JUnit 5 extension that gives each test a clean screen and a picture of the screen when it
 * fails: {@code @ExtendWith(ScreenExtension.class)} on a test class.
 *
 * <p>After each test it:
 *
 * <ul>
 *   <li>dismisses an open context menu;
 *   <li>fails the test when it left an alert or a sheet open, naming it, and then ends the alert
 *       with its last button (so the thread waiting in the alert returns) and closes the sheet;
 *   <li>closes every window that appeared during the test (windows the test opened, panels it
 *       showed), as their close buttons would.
 * </ul>
 *
 * <p>When a test fails, by its own exception or by leaving an alert or sheet open, a PNG of the
 * whole screen ({@link Snapshots#snapshotScreen}) as it was at the failure is written to the
 * folder named by the system property {@code ixa.testkit.screenshots} (else {@code
 * ixa-screenshots} in the working directory) and its path is published in the test's report
 * under the key {@code "screenshot"} (as {@code TestReporter} would); the failure for an alert or
 * sheet left open names the file in its message too. A test that passes gets no picture.
 *
 * <p>The extension's callbacks run on JUnit's test thread and use {@link Screen}, {@link User}
 * and {@link Snapshots}, which may be called from any thread. JUnit makes one instance per use
 * and the instance keeps nothing between tests.
 */
public final class ScreenExtension
    implements BeforeEachCallback, AfterEachCallback, TestExecutionExceptionHandler {
  /** The system property that names the folder for screenshots of failing tests. */
  public static final String SCREENSHOT_FOLDER_PROPERTY = "ixa.testkit.screenshots";

  private static final ExtensionContext.Namespace NAMESPACE =
      ExtensionContext.Namespace.create(ScreenExtension.class);
  private static final String WINDOWS_BEFORE = "windowsBefore";
  private static final String SCREENSHOT = "screenshot";

  /** Makes the extension; JUnit calls this for {@code @ExtendWith}. */
  public ScreenExtension() {}

  /**
   * Notes which windows are on screen before the test, so that afterwards the ones that appeared
   * are closed.
   *
   * @param context the test's context, given by JUnit
   */
  @Override
  public void beforeEach(ExtensionContext context) {
    context.getStore(NAMESPACE).put(WINDOWS_BEFORE, visibleWindows(screen()));
  }

  /**
   * Takes the screenshot of a failing test before its own clean-up changes the screen, then
   * rethrows the failure unchanged.
   *
   * @param context the test's context, given by JUnit
   * @param failure what the test threw
   * @throws Throwable always {@code failure}
   */
  @Override
  public void handleTestExecutionException(ExtensionContext context, Throwable failure)
      throws Throwable {
    screenshot(context);
    throw failure;
  }

  /**
   * Cleans the screen as the class comment says, and fails the test that left an alert or a
   * sheet open.
   *
   * @param context the test's context, given by JUnit
   */
  @Override
  public void afterEach(ExtensionContext context) {
    Map<String, Object> screen = screen();
    Map<String, Object> menu = Json.object(screen.get("contextMenu"));
    if (Boolean.TRUE.equals(menu.get("open"))) User.dismissMenu();

    List<String> leftOpen = new ArrayList<>();
    Map<String, Object> alert = Json.object(screen.get("alert"));
    if (!alert.isEmpty()) leftOpen.add("an alert (\"" + alert.get("messageText") + "\")");
    List<Integer> sheets = new ArrayList<>();
    for (Object window : Json.array(screen.get("windows"))) {
      Map<String, Object> described = Json.object(window);
      if (described.get("sheetParent") != null) {
        sheets.add(number(described));
        leftOpen.add("a sheet (\"" + described.get("title") + "\")");
      }
    }
    Path picture = leftOpen.isEmpty() ? null : screenshot(context);

    if (!alert.isEmpty()) {
      List<?> buttons = Json.array(alert.get("buttons"));
      String last =
          buttons.isEmpty()
              ? "OK"
              : String.valueOf(Json.object(buttons.get(buttons.size() - 1)).get("title"));
      User.pressButton(last);
      waitForNoAlert();
    }
    for (int sheet : sheets) closeQuietly(sheet);
    @SuppressWarnings("unchecked")
    Set<Integer> before =
        (Set<Integer>) context.getStore(NAMESPACE).getOrDefault(WINDOWS_BEFORE, Set.class, Set.of());
    for (int window : visibleWindows(screen())) {
      if (!before.contains(window)) closeQuietly(window);
    }

    if (!leftOpen.isEmpty())
      throw new AssertionError(
          "the test left "
              + String.join(" and ", leftOpen)
              + " open"
              + (picture != null ? "; the screen: " + picture : ""));
  }

  /** The pressed button ends the alert on the main thread; its panel goes with it. */
  private static void waitForNoAlert() {
    long deadline = System.nanoTime() + 10_000_000_000L;
    while (screen().get("alert") != null && System.nanoTime() < deadline) {
      try {
        Thread.sleep(10);
      } catch (InterruptedException e) {
        Thread.currentThread().interrupt();
        return;
      }
    }
  }

  private static Map<String, Object> screen() {
    return Json.object(Json.parse(Screen.describe()));
  }

  private static Set<Integer> visibleWindows(Map<String, Object> screen) {
    Set<Integer> numbers = new HashSet<>();
    for (Object window : Json.array(screen.get("windows"))) numbers.add(number(Json.object(window)));
    return numbers;
  }

  private static int number(Map<String, Object> window) {
    return ((Number) window.get("number")).intValue();
  }

  private static void closeQuietly(int window) {
    try {
      Screen.close(window);
    } catch (IllegalArgumentException alreadyClosed) {
      // closed with its parent or its alert
    }
  }

  /** Writes the screen once per test and publishes where; null when it could not be written. */
  private static Path screenshot(ExtensionContext context) {
    ExtensionContext.Store store = context.getStore(NAMESPACE);
    Path taken = store.get(SCREENSHOT, Path.class);
    if (taken != null) return taken;
    String folder = System.getProperty(SCREENSHOT_FOLDER_PROPERTY, "ixa-screenshots");
    String name =
        (context.getRequiredTestClass().getName() + "." + context.getRequiredTestMethod().getName())
                .replaceAll("[^A-Za-z0-9._-]", "_")
            + ".png";
    try {
      Path file = Path.of(folder).toAbsolutePath().resolve(name);
      Files.createDirectories(file.getParent());
      Files.write(file, Snapshots.snapshotScreen(1));
      store.put(SCREENSHOT, file);
      context.publishReportEntry(SCREENSHOT, file.toString());
      return file;
    } catch (IOException | RuntimeException e) {
      context.publishReportEntry(SCREENSHOT, "not taken: " + e);
      return null;
    }
  }
}
