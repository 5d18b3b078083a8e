package ixa;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonElement;
import com.google.gson.JsonObject;
import com.google.gson.JsonPrimitive;
import ixa.testing.Described;
import ixa.testing.UpcallRecorder;
import ixa.testkit.Screen;
import ixa.testkit.ScreenExtension;
import ixa.testkit.User;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;

/**
 * Window restyling and the colour panel through the native methods under -Xcheck:jni: the trace
 * of the pass and the restyled windows as the screen describes them, the side panel switches,
 * colour picks reaching Java, and the off-screen button rendering.
 */
@ExtendWith(ScreenExtension.class)
class ChromeTest {
  @BeforeAll
  static void rememberTheEnvironment() {
    Screen.run(0);
    // The upcalls of the colour panel use the environment that renderMacButton remembers.
    assertEquals(0, IxaDialogs.renderMacButton(12.5, -3, Long.MIN_VALUE));
  }

  private static int open(String title, double x, double y, double width, double height) {
    return Screen.openWindow(title, x, y, width, height);
  }

  /** How many windows have the value in the field. */
  private static long windowsWith(JsonObject screen, String field, JsonElement value) {
    return Described.windows(screen).stream().filter(w -> value.equals(w.get(field))).count();
  }

  // --- the restyling pass ------------------------------------------------------------------------

  @Test
  void passRestylesEveryWindowAndLogsItsNumberedTrace() {
    open("Report", 100, 100, 600, 400);
    open("Inspector", 300, 200, 400, 300);
    Screen.run(0);
    Screen.clearLog();
    assertEquals(1, IxaDialogs.modifyWindows());

    List<String> expected =
        new ArrayList<>(List.of("IXA LOG...", "IXA LOG... 1", "IXA LOG... 2", "IXA LOG... 3"));
    for (int window = 0; window < 2; window++) {
      for (int step = 1; step <= 17; step++)
        expected.add("IXA LOG LOOP... " + step);
      expected.add("DUMP:");     // the effect view
      expected.add("DUMP:");     // the former content, by its parent
      expected.add("\t->DUMP:"); // and by itself
      for (int step = 18; step <= 20; step++)
        expected.add("IXA LOG LOOP... " + step);
    }
    List<String> log =
        Arrays.stream(Screen.log())
            .map(line
                 -> line.contains("DUMP:") ? line.substring(0, line.indexOf("DUMP:") + 5) : line)
            .toList();
    assertEquals(expected, log);

    assertArrayEquals(new String[] {"", ""}, Screen.windowTitles());
    JsonObject screen = Described.screen();
    assertEquals(2, Described.windows(screen)
                        .stream()
                        .filter(w -> w.get("contentView").isJsonObject())
                        .map(w -> w.getAsJsonObject("contentView").get("class"))
                        .filter(new JsonPrimitive("NSVisualEffectView")::equals)
                        .count());
    assertEquals(2, windowsWith(screen, "titlebarAppearsTransparent", new JsonPrimitive(true)));
    assertEquals(
        2, windowsWith(screen, "appearance", new JsonPrimitive("NSAppearanceNameVibrantLight")));
    // The gradient bands start at the left edge of their window.
    List<JsonObject> gradients = Described.ofClass(screen, "QVGradView");
    assertEquals(2, gradients.size());
    for (JsonObject gradient : gradients)
      assertEquals(0.0, Described.numbers(gradient.get("frame")).get(0), gradient.toString());
    assertEquals(2, Described.ofClass(screen, "QVRectView").size());
    assertEquals(2, Described.ofClass(screen, "VantrelsBrandLogoView").size());
    assertEquals(1, IxaDialogs.showSideRect());
    assertEquals(1, IxaDialogs.hideSideRect());
  }

  // --- the colour panel
  // ----------------------------------------------------------------------------

  @Test
  void everyPickReachesJavaOnceAsTheColourText() {
    UpcallRecorder.record("COLORCHANGED");
    UpcallRecorder.drain();
    assertEquals(1, IxaDialogs.showMacColorPopover(0, 0));
    assertEquals(
        1, IxaDialogs.showMacColorPopover(-1e9, Double.NaN)); // a second target replaces the first
    JsonObject panel = Described.screen().getAsJsonObject("colorPanel");
    assertEquals(new JsonPrimitive(true), panel.get("visible"), panel.toString());
    assertEquals(new JsonPrimitive(true), panel.get("key"), panel.toString());
    assertEquals(new JsonPrimitive(true), panel.get("hasTarget"), panel.toString());
    assertEquals(new JsonPrimitive("colorChanged:"), panel.get("action"), panel.toString());
    assertFalse(Arrays.asList(Screen.windowTitles()).contains("Colors"));

    User.pickColor(1, 0, 0);
    User.pickColor(1, 0.5, 0);
    User.pickColor(0, 0, 0);
    User.pickColor(1, 1, 1);
    User.pickColor(1.1, 0, 0);
    assertEquals(String.join("\n", "COLORCHANGED|#FF0000", "COLORCHANGED|#FF7F00",
                             "COLORCHANGED|#000000", "COLORCHANGED|#FFFFFF",
                             "COLORCHANGED|#1180000"),
                 UpcallRecorder.drain());
    JsonObject picked = Described.screen().getAsJsonObject("colorPanel");
    assertEquals(List.of(1.1, 0.0, 0.0, 1.0), Described.numbers(picked.get("color")),
                 picked.toString());

    assertThrows(IllegalArgumentException.class, () -> User.pickColor(Double.NaN, 0, 0));
    assertThrows(IllegalArgumentException.class, () -> User.pickColor(0, -0.5, 0));
    assertEquals("", UpcallRecorder.drain());
  }

  @Test
  void renderMacButtonShowsNothingAndLeavesNothingBehind() {
    open("Report", 100, 100, 600, 400);
    Screen.run(0);
    JsonObject before = Described.screen();
    assertEquals(0, IxaDialogs.renderMacButton(0, 0, 0));
    assertEquals(0, IxaDialogs.renderMacButton(Double.NaN, Double.POSITIVE_INFINITY, -1));
    Screen.run(0);
    JsonObject after = Described.screen();
    // The windows on the screen and off it are the same, down to which one is key.
    assertEquals(1, before.getAsJsonArray("windows").size());
    assertEquals(before.get("windows"), after.get("windows"));
    assertEquals(before.get("offscreenWindows"), after.get("offscreenWindows"));
  }
}
