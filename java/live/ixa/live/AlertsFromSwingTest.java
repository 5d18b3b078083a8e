package ixa.live;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import ixa.IxaDialogs;
import ixa.live.support.OnScreen;
import ixa.live.support.RealInput;
import ixa.live.support.SwingApp;
import ixa.live.support.XWindows;
import ixa.testkit.ScreenExtension;
import java.awt.Point;
import java.time.Duration;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.Timeout;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.extension.RegisterExtension;

/**
 * Alerts shown from Swing's event thread, as an application's button handler would, answered with
 * real keys and clicks on the X server.
 */
@ExtendWith(ScreenExtension.class)
@Timeout(60)
class AlertsFromSwingTest {
  @RegisterExtension static final SwingApp.PerClass DOC = new SwingApp.PerClass();

  /** The alert on the server, once it has the keyboard focus. */
  static XWindows.Window focusedAlert() {
    XWindows.Window alert =
        XWindows.waitFor(
            "an alert",
            window -> XWindows.windowTypes(window).contains("_NET_WM_WINDOW_TYPE_DIALOG"),
            Duration.ofSeconds(10));
    XWindows.waitForFocus(alert.id(), Duration.ofSeconds(10));
    return alert;
  }

  @Test
  void returnAnswersTheFirstButton() throws Exception {
    CompletableFuture<Integer> answer =
        DOC.app()
            .later(() -> IxaDialogs.showMacDialog("Save changes?", "Or not.", "Save", "Cancel"));
    focusedAlert();
    RealInput.key("Return");
    assertEquals(1, answer.get(10, TimeUnit.SECONDS));
  }

  @Test
  void aClickOnTheSecondButtonAnswersZero() throws Exception {
    CompletableFuture<Integer> answer =
        DOC.app()
            .later(() -> IxaDialogs.showMacDialog("Save changes?", "Or not.", "Save", "Cancel"));
    XWindows.Window alert = focusedAlert();
    // The buttons stand at the bottom right, the first rightmost: 94 points wide, 32 high, 14
    // from the right edge and 12 from the bottom.
    RealInput.click(
        alert.screenX(alert.width() - 14 - 94 - 47), alert.screenY(alert.height() - 28));
    assertEquals(0, answer.get(10, TimeUnit.SECONDS));
  }

  @Test
  void textTypedIntoATextEntryAlertComesBack() throws Exception {
    CompletableFuture<String> answer =
        DOC.app().later(
            () -> IxaDialogs.showMacTextEntryDialog("Name", "Who are you?", "OK", "Cancel", ""));
    focusedAlert();
    clickIntoTheField();
    RealInput.type("Grace Hopper");
    RealInput.key("Return");
    assertEquals("Grace Hopper", answer.get(10, TimeUnit.SECONDS));
  }

  @Test
  void escapeCancelsATextEntryAlertWithNull() throws Exception {
    CompletableFuture<String> answer =
        DOC.app().later(
            () -> IxaDialogs.showMacTextEntryDialog("Name", "Who are you?", "OK", "Cancel", "x"));
    focusedAlert();
    clickIntoTheField();
    RealInput.type("typed");
    RealInput.key("Escape");
    assertNull(answer.get(10, TimeUnit.SECONDS));
  }

  // As a user does: the alert shows with no field focused.
  private static void clickIntoTheField() {
    Point field = OnScreen.editableFieldCentre(OnScreen.alertWindow());
    RealInput.click(field.x, field.y);
  }
}
