package ixa.live;

import static ixa.live.support.HostedFrames.isHosted;
import static ixa.live.support.HostedFrames.typeInto;
import static ixa.live.support.HostedFrames.waitUntil;

import ixa.IxaDialogs;
import ixa.live.support.SwingApp;
import ixa.live.support.WindowManager;
import ixa.live.support.XWindows;
import ixa.testkit.ScreenExtension;
import java.awt.Point;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.Timeout;
import org.junit.jupiter.api.extension.ExtendWith;

/**
 * A window manager that leaves, starts and is replaced while Swing frames are hosted, as a user's
 * session may do it: on the bare server (the live suite) and under each window manager of the
 * window-manager suites. Every frame stays usable, and a frame shown at any moment is hosted.
 */
@ExtendWith(ScreenExtension.class)
@Timeout(120)
class WindowManagerChangesTest {
  @Test
  void framesStayUsableAndNewOnesAreHostedAsWindowManagersComeAndGo() {
    boolean hadOne = WindowManager.runs();
    SwingApp first = null, second = null, third = null;
    try {
      WindowManager.quit();
      first = SwingApp.show("First", new Point(100, 100));
      first.onEdt(() -> IxaDialogs.renderMacButton(0, 0, 0));
      waitUntil("First is a window of the platform", () -> isHosted("First"));
      typeInto(first, "a");
      // A manager that starts takes the host, and a frame shown then is taken back from it.
      WindowManager.start();
      waitUntil("First is managed", () -> XWindows.managed("First"));
      typeInto(first, "b");
      second = SwingApp.show("Second", new Point(600, 100));
      waitUntil("Second is a window of the platform", () -> isHosted("Second"));
      typeInto(second, "c");
      WindowManager.replace();
      waitUntil("First is managed by the new manager", () -> XWindows.managed("First"));
      typeInto(first, "d");
      typeInto(second, "e");
      // With the manager gone, a frame shown now is hosted as on a bare server.
      WindowManager.quit();
      typeInto(first, "f");
      third = SwingApp.show("Third", new Point(600, 450));
      waitUntil("Third is a window of the platform", () -> isHosted("Third"));
      typeInto(third, "g");
    } finally {
      for (SwingApp app : new SwingApp[] {third, second, first}) if (app != null) app.close();
      if (hadOne) WindowManager.start();
    }
  }
}
