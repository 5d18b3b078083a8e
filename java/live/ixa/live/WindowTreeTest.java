package ixa.live;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.IxaDialogs;
import ixa.live.support.PlatformWindow;
import ixa.live.support.RealInput;
import ixa.live.support.SwingApp;
import ixa.live.support.XWindows;
import ixa.testkit.Screen;
import ixa.testkit.ScreenExtension;
import java.time.Duration;
import java.util.List;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.Timeout;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.extension.RegisterExtension;

/**
 * The X server's window tree while a Swing application uses the library: every window is a
 * top-level of this process with its title, and alerts, sheets, panels and menus carry the hints
 * that tell a window manager what they are and whom they belong to.
 */
@ExtendWith(ScreenExtension.class)
@Timeout(60)
class WindowTreeTest {
  private static final Duration LIMIT = Duration.ofSeconds(10);
  private static final String WINDOW = "Manuscript";
  private static final long PID = ProcessHandle.current().pid();
  @RegisterExtension static final SwingApp.PerClass DOC = new SwingApp.PerClass();
  private PlatformWindow window;
  private XWindows.Window ours;

  @BeforeEach
  void openAWindow() {
    window = PlatformWindow.open(WINDOW, 500, 200, 600, 400);
    ours = window.onServer();
  }

  @AfterEach
  void closeTheWindow() {
    window.close();
  }

  @Test
  void theSwingFrameAndOurWindowAreTopLevelsOfThisProcessWithTheirTitles() {
    XWindows.Window doc = XWindows.find(SwingApp.TITLE);
    assertEquals(PID, XWindows.pid(doc));
    assertEquals(PID, XWindows.pid(ours));
    assertFalse(ours.overrideRedirect());
    // Our window is where it was put: 600 x 400 points at (500, 200) from the screen's lower left.
    assertEquals(
        List.of(500, 900 - 200 - 400, 600, 400),
        List.of(ours.x(), ours.y(), ours.width(), ours.height()));
    assertTrue(XWindows.transientFor(ours).isEmpty());
    Screen.setTitle(window.number(), "Manuscript – edited");
    RealInput.waitUntilMapped("Manuscript – edited");
  }

  @Test
  void anAlertIsAModalDialogTransientForTheKeyWindowCentredOnIt() throws Exception {
    CompletableFuture<Integer> answer =
        DOC.app()
            .later(() -> IxaDialogs.showMacDialog("Discard the draft?", "", "Discard", "Keep"));
    XWindows.Window alert =
        XWindows.waitFor(
            "an alert", w -> XWindows.windowTypes(w).contains("_NET_WM_WINDOW_TYPE_DIALOG"), LIMIT);
    assertEquals(ours.id(), XWindows.transientFor(alert).orElse(-1));
    List<String> states = XWindows.states(alert);
    assertTrue(states.contains("_NET_WM_STATE_MODAL"), states::toString);
    assertEquals(PID, XWindows.pid(alert));
    int alertMiddle = alert.x() + alert.width() / 2;
    int windowMiddle = ours.x() + ours.width() / 2;
    assertTrue(Math.abs(alertMiddle - windowMiddle) <= 1, alert + " centred on " + ours);
    XWindows.waitForFocus(alert.id(), LIMIT);
    RealInput.key("Escape", "Return");
    answer.get(10, TimeUnit.SECONDS);
    XWindows.waitForNone("the alert", w -> w.id() == alert.id(), LIMIT);
  }

  @Test
  void theColourPanelIsAUtilityWindow() {
    DOC.app().onEdt(() -> IxaDialogs.showMacColorPopover(0, 0));
    XWindows.Window panel = RealInput.waitUntilMapped("Colors");
    assertEquals(List.of("_NET_WM_WINDOW_TYPE_UTILITY"), XWindows.windowTypes(panel));
    assertFalse(panel.overrideRedirect());
    assertEquals(PID, XWindows.pid(panel));
  }

  @Test
  void aContextMenuIsAPopUpOfItsWindowWhereItWasAskedFor() throws Exception {
    CompletableFuture<Integer> shown =
        DOC.app().later(
            () ->
                IxaDialogs.showMacContextMenuWithJSON(
                    50, 350, "[{\"HEADER\":\"Cut\",\"IDENTITY\":\"cut\"}]"));
    XWindows.Window menu =
        XWindows.waitFor("the context menu", XWindows.Window::overrideRedirect, LIMIT);
    assertEquals(List.of("_NET_WM_WINDOW_TYPE_POPUP_MENU"), XWindows.windowTypes(menu));
    assertEquals(ours.id(), XWindows.transientFor(menu).orElse(-1));
    // The menu's first item is at the point asked for, in the window's content.
    int pointX = ours.x() + 50;
    assertTrue(menu.x() <= pointX && menu.x() + menu.width() > pointX, menu::toString);
    RealInput.key("Escape");
    assertEquals(1, shown.get(10, TimeUnit.SECONDS));
    XWindows.waitForNone("the context menu", XWindows.Window::overrideRedirect, LIMIT);
  }
}
