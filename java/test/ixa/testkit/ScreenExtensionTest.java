package ixa.testkit;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assertions.fail;

import ixa.IxaDialogs;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Comparator;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import java.util.function.BooleanSupplier;
import java.util.stream.Stream;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.condition.EnabledIfSystemProperty;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.platform.engine.TestExecutionResult;
import org.junit.platform.engine.discovery.DiscoverySelectors;
import org.junit.platform.engine.reporting.ReportEntry;
import org.junit.platform.launcher.Launcher;
import org.junit.platform.launcher.TestExecutionListener;
import org.junit.platform.launcher.TestIdentifier;
import org.junit.platform.launcher.core.LauncherDiscoveryRequestBuilder;
import org.junit.platform.launcher.core.LauncherFactory;

/**
 * The JUnit extension run on small test classes of its own through the JUnit launcher: what it
 * cleans after a test, which tests it fails, and the screenshot it attaches to a failure.
 */
class ScreenExtensionTest {
  /** The fixtures below run only when this test runs them, never on their own. */
  private static final String FIXTURES = "ixa.testkit.fixtures";

  private static final byte[] PNG_SIGNATURE = {(byte) 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

  /** What one fixture's single test ended with, and the report entries it published. */
  private record Outcome(TestExecutionResult result, Map<String, String> entries) {}

  private Path screenshots;

  @BeforeEach
  void runFixtures() throws IOException {
    screenshots = Files.createTempDirectory("brix-screenshots-");
    System.setProperty(ScreenExtension.SCREENSHOT_FOLDER_PROPERTY, screenshots.toString());
    System.setProperty(FIXTURES, "run");
  }

  @AfterEach
  void stopFixtures() throws IOException {
    System.clearProperty(FIXTURES);
    System.clearProperty(ScreenExtension.SCREENSHOT_FOLDER_PROPERTY);
    try (Stream<Path> paths = Files.walk(screenshots)) {
      for (Path path : paths.sorted(Comparator.reverseOrder()).toList()) Files.delete(path);
    }
  }

  private static Outcome run(Class<?> fixture) {
    List<TestExecutionResult> results = new ArrayList<>();
    Map<String, String> entries = new HashMap<>();
    Launcher launcher = LauncherFactory.create();
    launcher.execute(
        LauncherDiscoveryRequestBuilder.request()
            .selectors(DiscoverySelectors.selectClass(fixture))
            .build(),
        new TestExecutionListener() {
          @Override
          public void executionFinished(TestIdentifier test, TestExecutionResult result) {
            if (test.isTest()) results.add(result);
          }

          @Override
          public void reportingEntryPublished(TestIdentifier test, ReportEntry entry) {
            entries.putAll(entry.getKeyValuePairs());
          }
        });
    assertEquals(1, results.size(), "the fixture ran one test");
    return new Outcome(results.get(0), entries);
  }

  private static String failure(Outcome outcome) {
    assertEquals(TestExecutionResult.Status.FAILED, outcome.result().getStatus());
    return outcome.result().getThrowable().orElseThrow().getMessage();
  }

  private static void assertScreenshot(Outcome outcome) throws IOException {
    String path = outcome.entries().get("screenshot");
    assertTrue(path != null && Files.isRegularFile(Path.of(path)), outcome.entries().toString());
    byte[] picture = Files.readAllBytes(Path.of(path));
    assertArrayEquals(PNG_SIGNATURE, Arrays.copyOf(picture, PNG_SIGNATURE.length));
  }

  private static void waitUntil(String what, BooleanSupplier condition) throws Exception {
    long deadline = System.nanoTime() + TimeUnit.SECONDS.toNanos(10);
    while (!condition.getAsBoolean()) {
      if (System.nanoTime() > deadline) fail("never happened: " + what);
      Thread.sleep(10);
    }
  }

  private static boolean onScreen(String text) {
    return Screen.describe().contains(text);
  }

  // --- windows the test opened ---------------------------------------------------------------

  static int leftWindow;

  @ExtendWith(ScreenExtension.class)
  @EnabledIfSystemProperty(named = FIXTURES, matches = "run")
  static class OpensAWindowAndFails {
    @Test
    void failsWithAWindowOpen() {
      leftWindow = Screen.openWindow("Left behind", 100, 100, 300, 200);
      fail("failing on purpose");
    }
  }

  @Test
  void aFailingTestGetsAScreenshotAndItsWindowsAreClosed() throws Exception {
    int before = Screen.windowTitles().length;
    Outcome outcome = run(OpensAWindowAndFails.class);
    assertEquals("failing on purpose", failure(outcome));
    assertScreenshot(outcome);
    assertFalse(Arrays.asList(Screen.windowTitles()).contains("Left behind"));
    assertEquals(before, Screen.windowTitles().length);
    assertThrows(IllegalArgumentException.class, () -> Screen.orderFront(leftWindow));
  }

  @ExtendWith(ScreenExtension.class)
  @EnabledIfSystemProperty(named = FIXTURES, matches = "run")
  static class OpensAWindowAndPasses {
    @Test
    void passes() {
      Screen.openWindow("Tidied", 100, 100, 300, 200);
    }
  }

  @Test
  void aPassingTestGetsNoScreenshotAndItsWindowsAreClosed() throws Exception {
    Outcome outcome = run(OpensAWindowAndPasses.class);
    assertEquals(TestExecutionResult.Status.SUCCESSFUL, outcome.result().getStatus());
    assertNull(outcome.entries().get("screenshot"));
    assertFalse(Arrays.asList(Screen.windowTitles()).contains("Tidied"));
    try (Stream<Path> files = Files.list(screenshots)) {
      assertEquals(0, files.count());
    }
  }

  // --- alerts, sheets and menus left open ------------------------------------------------------

  @ExtendWith(ScreenExtension.class)
  @EnabledIfSystemProperty(named = FIXTURES, matches = "run")
  static class LeavesASheetOpen {
    @Test
    void leavesAProgressSheet() {
      Screen.openWindow("Under a sheet", 100, 100, 500, 300);
      IxaDialogs.initProgressDialog();
      IxaDialogs.updateProgressDialog("Copying", "left open", 40);
    }
  }

  @Test
  void aTestThatLeavesASheetOpenFailsAndTheSheetIsClosed() throws Exception {
    Outcome outcome = run(LeavesASheetOpen.class);
    String message = failure(outcome);
    assertTrue(message.contains("the test left a sheet"), message);
    assertScreenshot(outcome);
    assertFalse(
        Screen.describe().matches("(?s).*\"sheetParent\":\\s*[0-9].*"), "no sheet remains");
    assertFalse(onScreen("Under a sheet"));
    assertFalse(onScreen("left open"));
  }
}
