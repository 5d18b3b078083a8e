package ixa.live;

import static ixa.live.support.HostedFrames.isHosted;
import static ixa.live.support.HostedFrames.typeInto;
import static ixa.live.support.HostedFrames.waitUntil;
import static ixa.live.support.HostedFrames.waitUntilInItsWindow;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.IxaDialogs;
import ixa.live.support.Commands;
import ixa.live.support.RealInput;
import ixa.live.support.SwingApp;
import ixa.live.support.XWindows;
import ixa.testkit.Screen;
import ixa.testkit.ScreenExtension;
import java.awt.Point;
import java.awt.event.WindowEvent;
import java.awt.event.WindowFocusListener;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;
import javax.swing.JDialog;
import javax.swing.JTextField;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.Timeout;
import org.junit.jupiter.api.extension.ExtendWith;

/**
 * Swing frames while a window manager runs (openbox, metacity, xfwm4 or mutter, each on an Xvfb
 * of its own): the platform takes them back from the manager, a frame shown before the first call
 * and one shown after it, and hosts them in windows of its own that the manager manages, where
 * they still take real clicks and typing, and the focus as a desktop user expects it.
 */
@ExtendWith(ScreenExtension.class)
@Timeout(90)
class UnderWindowManagerTest {
  @Test
  void framesShownBeforeAndAfterTheFirstCallAreHostedAndStillTakeTyping() {
    SwingApp before = SwingApp.show("Before", new Point(60, 60));
    before.onEdt(() -> IxaDialogs.renderMacButton(0, 0, 0));
    waitUntil("Before is a window of the platform", () -> isHosted("Before"));
    SwingApp after = SwingApp.show("After", new Point(500, 300));
    waitUntil("After is a window of the platform", () -> isHosted("After"));
    // On the server each frame is inside a window of ours (titled after it) in a manager's frame,
    // and Java's frame is where that window is (its insets are the window's frame).
    waitUntilInItsWindow(after);
    assertEquals(List.of("After"), XWindows.childTitles(XWindows.find("After")));

    Point field = after.onEdt(() -> {
      Point at = after.field().getLocationOnScreen();
      return new Point(at.x + 20, at.y + after.field().getHeight() / 2);
    });
    RealInput.click(field.x, field.y);
    waitUntil("After's field has the focus", () -> after.onEdt(() -> after.field().hasFocus()));
    RealInput.type("managed");
    waitUntil("the field took the text",
              () -> after.onEdt(() -> after.field().getText()).equals("managed"));

    // A click into the active frame moves the focus within it, and Java sees its window stay
    // active: no deactivation and activation in between.
    List<String> focusEvents = Collections.synchronizedList(new ArrayList<>());
    after.onEdt(() -> {
      after.frame().addWindowFocusListener(new WindowFocusListener() {
        @Override
        public void windowGainedFocus(WindowEvent e) {
          focusEvents.add("gained");
        }

        @Override
        public void windowLostFocus(WindowEvent e) {
          focusEvents.add("lost");
        }
      });
      return null;
    });
    Point button = after.onEdt(() -> {
      Point at = after.button().getLocationOnScreen();
      return new Point(at.x + 10, at.y + after.button().getHeight() / 2);
    });
    RealInput.click(button.x, button.y);
    waitUntil("the button has the focus", () -> after.onEdt(() -> after.button().hasFocus()));
    RealInput.click(field.x, field.y);
    waitUntil("the field has the focus again", () -> after.onEdt(() -> after.field().hasFocus()));
    Screen.run(0.3);
    assertEquals(List.of(), focusEvents, "Java's window events during two clicks");
    after.close();
    before.close();
  }

  @Test
  void activationByTheWindowManagerGivesTheKeysBackToTheFieldThatHadThem() {
    SwingApp left = SwingApp.show("Left", new Point(60, 420));
    left.onEdt(() -> IxaDialogs.renderMacButton(0, 0, 0));
    waitUntil("Left is a window of the platform", () -> isHosted("Left"));
    SwingApp right = SwingApp.show("Right", new Point(600, 420));
    waitUntil("Right is a window of the platform", () -> isHosted("Right"));
    typeInto(left, "one");
    typeInto(right, "two");
    // Activated by the window manager (no click), Left gives the keys to the field that had them.
    Commands.run(List.of("xdotool", "windowactivate", "--sync",
        XWindows.find("Left").hexId()));
    waitUntil("Left's field has the focus again", () -> left.onEdt(() -> left.field().hasFocus()));
    RealInput.type("+");
    waitUntil("Left's field took the key",
              () -> left.onEdt(() -> left.field().getText()).equals("one+"));
    right.close();
    left.close();
  }

  @Test
  void aDialogOfAFrameIsHostedAboveItAndTakesTyping() {
    SwingApp owner = SwingApp.show("Owner", new Point(60, 60));
    owner.onEdt(() -> IxaDialogs.renderMacButton(0, 0, 0));
    waitUntil("Owner is a window of the platform", () -> isHosted("Owner"));
    JTextField field = owner.onEdt(() -> new JTextField(20));
    JDialog dialog = owner.onEdt(() -> {
      JDialog made = new JDialog(owner.frame(), "Options", false);
      made.add(field);
      made.setSize(300, 120);
      made.setLocation(160, 120);
      made.setVisible(true);
      return made;
    });
    try {
      waitUntil("Options is a window of the platform", () -> isHosted("Options"));
      XWindows.Window ownerHost = XWindows.find("Owner");
      assertEquals(ownerHost.id(), XWindows.transientFor(XWindows.find("Options")).orElse(0),
          "the dialog's window is transient for its frame's");
      // A click on the frame leaves the dialog above it.
      RealInput.click(
          ownerHost.x() + ownerHost.width() - 20, ownerHost.y() + ownerHost.height() - 20);
      Screen.run(0.3);
      List<String> titles = new ArrayList<>();
      for (XWindows.Window window : XWindows.mapped()) titles.add(window.title());
      assertTrue(titles.indexOf("Options") < titles.indexOf("Owner"), "front to back: " + titles);
      Point at = owner.onEdt(() -> {
        Point on = field.getLocationOnScreen();
        return new Point(on.x + 20, on.y + field.getHeight() / 2);
      });
      RealInput.click(at.x, at.y);
      waitUntil("the dialog's field has the focus", () -> owner.onEdt(field::hasFocus));
      RealInput.type("dialog");
      waitUntil("the dialog's field took the text",
                () -> owner.onEdt(field::getText).equals("dialog"));
    } finally {
      owner.onEdt(() -> {
        dialog.dispose();
        return null;
      });
      owner.close();
    }
  }
}
