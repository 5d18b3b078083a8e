package ixa;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import ixa.testing.UpcallRecorder;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * Window restyling and the colour panel through the native methods under -Xcheck:jni: the trace
 * of the pass and the restyled windows as the screen describes them, the side panel switches,
 * colour picks reaching Java, and the off-screen button rendering.
 */
class ChromeTest {
  private final List<Integer> windows = new ArrayList<>();

  @BeforeAll
  static void rememberTheEnvironment() {
    Screen.run(0); // this thread becomes the main thread
    // The upcalls of the colour panel use the environment that renderMacButton remembers.
    assertEquals(0, IxaDialogs.renderMacButton(12.5, -3, Long.MIN_VALUE));
  }

  @AfterEach
  void closeWindows() {
    for (int window : windows) Screen.close(window);
    Matcher panel = Pattern.compile("\\{\"number\":(\\d+),\"title\":\"Colors\",\"class\":\"NSColorPanel\"")
        .matcher(Screen.describe());
    if (panel.find()) Screen.close(Integer.parseInt(panel.group(1)));
    Screen.run(0);
  }

  private int open(String title, double x, double y, double width, double height) {
    int window = Screen.openWindow(title, x, y, width, height);
    windows.add(window);
    return window;
  }

  private static int count(String text, String part) {
    int found = 0;
    for (int at = text.indexOf(part); at >= 0; at = text.indexOf(part, at + 1)) found++;
    return found;
  }




  // --- the restyling pass ------------------------------------------------------------------------

  @Test
  void passRestylesEveryWindowAndLogsItsNumberedTrace() {
    open("Report", 100, 100, 600, 400);
    open("Inspector", 300, 200, 400, 300);
    Screen.run(0);
    Screen.clearLog();
    assertEquals(1, IxaDialogs.modifyWindows());

    List<String> expected = new ArrayList<>(List.of("IXA LOG...", "IXA LOG... 1", "IXA LOG... 2",
        "IXA LOG... 3"));
    for (int window = 0; window < 2; window++) {
      for (int step = 1; step <= 17; step++) expected.add("IXA LOG LOOP... " + step);
      expected.add("DUMP:"); // the effect view
      expected.add("DUMP:"); // the former content, by its parent
      expected.add("\t->DUMP:"); // and by itself
      for (int step = 18; step <= 20; step++) expected.add("IXA LOG LOOP... " + step);
    }
    List<String> log = Arrays.stream(Screen.log())
        .map(line -> line.contains("DUMP:") ? line.substring(0, line.indexOf("DUMP:") + 5) : line)
        .toList();
    assertEquals(expected, log);

    assertArrayEquals(new String[] {"", ""}, Screen.windowTitles());
    String screen = Screen.describe();
    assertEquals(2, count(screen, "\"contentView\":{\"class\":\"NSVisualEffectView\""));
    assertEquals(2, count(screen, "\"titlebarAppearsTransparent\":true"));
    assertEquals(2, count(screen, "\"appearance\":\"NSAppearanceNameVibrantLight\""));
    assertEquals(2, count(screen, "{\"class\":\"QVGradView\",\"frame\":[0,"));
    assertEquals(2, count(screen, "{\"class\":\"QVRectView\""));
    assertEquals(2, count(screen, "{\"class\":\"VantrelsBrandLogoView\""));
    assertEquals(1, IxaDialogs.showSideRect());
    assertEquals(1, IxaDialogs.hideSideRect());
  }

  // --- the colour panel ----------------------------------------------------------------------------

  @Test
  void everyPickReachesJavaOnceAsTheColourText() {
    UpcallRecorder.record("COLORCHANGED");
    UpcallRecorder.drain();
    assertEquals(1, IxaDialogs.showMacColorPopover(0, 0));
    assertEquals(1, IxaDialogs.showMacColorPopover(-1e9, Double.NaN)); // a second target replaces the first
    String screen = Screen.describe();
    assertTrue(screen.contains("\"colorPanel\":{\"visible\":true,\"key\":true,"), screen);
    assertTrue(screen.contains("\"hasTarget\":true,\"action\":\"colorChanged:\"}"), screen);
    assertFalse(Arrays.asList(Screen.windowTitles()).contains("Colors"));

    User.pickColor(1, 0, 0);
    User.pickColor(1, 0.5, 0);
    User.pickColor(0, 0, 0);
    User.pickColor(1, 1, 1);
    User.pickColor(1.1, 0, 0);
    assertEquals(
        String.join("\n", "COLORCHANGED|#FF0000", "COLORCHANGED|#FF7F00", "COLORCHANGED|#000000",
            "COLORCHANGED|#FFFFFF", "COLORCHANGED|#1180000"),
        UpcallRecorder.drain());
    String picked = Screen.describe();
    assertTrue(picked.contains("\"color\":[1.1,0,0,1]"), picked);

    assertThrows(IllegalArgumentException.class, () -> User.pickColor(Double.NaN, 0, 0));
    assertThrows(IllegalArgumentException.class, () -> User.pickColor(0, -0.5, 0));
    assertEquals("", UpcallRecorder.drain());
  }

  @Test
  void renderMacButtonShowsNothingAndLeavesNothingBehind() {
    open("Report", 100, 100, 600, 400);
    Screen.run(0);
    JsonObject before = JsonParser.parseString(Screen.describe()).getAsJsonObject();
    assertEquals(0, IxaDialogs.renderMacButton(0, 0, 0));
    assertEquals(0, IxaDialogs.renderMacButton(Double.NaN, Double.POSITIVE_INFINITY, -1));
    Screen.run(0);
    JsonObject after = JsonParser.parseString(Screen.describe()).getAsJsonObject();
    // The windows on the screen and off it are the same, down to which one is key.
    assertEquals(1, before.getAsJsonArray("windows").size());
    assertEquals(before.get("windows"), after.get("windows"));
    assertEquals(before.get("offscreenWindows"), after.get("offscreenWindows"));
  }
}
