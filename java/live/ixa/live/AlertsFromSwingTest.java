package ixa.live;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.IxaDialogs;
import ixa.live.support.OnScreen;
import ixa.live.support.RealInput;
import ixa.live.support.SwingApp;
import ixa.live.support.XWindows;
import ixa.testkit.ScreenExtension;
import java.awt.Component;
import java.awt.Graphics;
import java.awt.Point;
import java.time.Duration;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;
import javax.swing.JComponent;
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

  // Swing's thread waits in a secondary loop, as a modal JDialog makes it wait: the frame repaints.
  @Test
  void theFrameRepaintsBehindAnAlertShownFromSwing() throws Exception {
    AtomicInteger paints = new AtomicInteger();
    JComponent counter = new JComponent() {
      private static final long serialVersionUID = 1L;

      @Override
      protected void paintComponent(Graphics g) {
        paints.incrementAndGet();
      }
    };
    Component glass = DOC.app().onEdt(() -> {
      Component before = DOC.app().frame().getGlassPane();
      DOC.app().frame().setGlassPane(counter);
      counter.setVisible(true);
      return before;
    });
    CompletableFuture<Integer> answer =
        DOC.app().later(() -> IxaDialogs.showMacDialog("Busy", "Repaint behind me.", "OK", "No"));
    focusedAlert();
    int before = paints.get();
    for (int i = 0; i < 100 && paints.get() < before + 3; i++) {
      counter.repaint();
      Thread.sleep(20);
    }
    int during = paints.get() - before;
    RealInput.key("Return");
    assertEquals(1, answer.get(10, TimeUnit.SECONDS));
    DOC.app().onEdt(() -> {
      DOC.app().frame().setGlassPane(glass);
      return null;
    });
    assertTrue(during >= 3, "paints behind the alert: " + during);
  }

  // As a user does: the alert shows with no field focused.
  private static void clickIntoTheField() {
    Point field = OnScreen.editableFieldCentre(OnScreen.alertWindow());
    RealInput.click(field.x, field.y);
  }
}
