package ixa.live;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.IxaDialogs;
import ixa.live.support.OnScreen;
import ixa.live.support.PlatformWindow;
import ixa.live.support.RealInput;
import ixa.live.support.SwingApp;
import ixa.live.support.Upcalls;
import ixa.live.support.XWindows;
import ixa.testkit.ScreenExtension;
import java.awt.Point;
import java.time.Duration;
import java.util.List;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.Timeout;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.extension.RegisterExtension;

/**
 * What the user does in a sheet, a context menu, the application menu's shortcut and the colour
 * panel reaches the application's handlers, the calls made from Swing's event thread and the
 * input real keys and clicks on the X server. The sheet and the menu belong to a window of the
 * platform, opened for each test in front of the Swing frame.
 */
@ExtendWith(ScreenExtension.class)
@Timeout(60)
class UpcallsFromSwingTest {
  private static final Duration LIMIT = Duration.ofSeconds(10);
  private static final String WINDOW = "Workspace";
  @RegisterExtension static final SwingApp.PerClass DOC = new SwingApp.PerClass();
  private static SwingApp app;
  private PlatformWindow window;

  @BeforeAll
  static void rememberTheEnvironment() {
    app = DOC.app();
    // Upcalls use the environment the storing natives remember.
    app.onEdt(() -> IxaDialogs.renderMacButton(0, 0, 0));
  }

  /** A window of ours, 600 x 400, key, with the keyboard focus on the server. */
  @BeforeEach
  void openAWindow() {
    window = PlatformWindow.open(WINDOW, 500, 200, 600, 400);
  }

  @AfterEach
  void closeTheWindow() {
    window.close();
  }

  @Test
  void aSheetAnsweredByTypingAndReturnSendsTheText() {
    try (Upcalls upcalls = new Upcalls("NAME_GIVEN")) {
      assertEquals(
          1,
          app.onEdt(
              () ->
                  IxaDialogs.showTextEntrySheetDialog(
                      "Rename", "The document's new name:", "Rename", "Cancel", "NAME_GIVEN")));
      XWindows.Window parent = XWindows.find(WINDOW);
      XWindows.Window sheet =
          XWindows.waitFor(
              "a sheet on \"" + WINDOW + "\"",
              w -> w.id() != parent.id() && isTransientFor(w, parent) && !w.overrideRedirect(),
              LIMIT);
      waitForFocus(sheet.id());
      Point field = OnScreen.editableFieldCentre(OnScreen.sheetOf(window.number()));
      RealInput.click(field.x, field.y);
      RealInput.type("Chapter 1 – draft");
      RealInput.key("Return");
      Upcalls.Arrival arrival = upcalls.next(LIMIT);
      assertEquals("Chapter 1 – draft", arrival.value());
      assertEquals("Brix Main Thread", arrival.thread());
      XWindows.waitForNone("the sheet", w -> w.id() == sheet.id(), LIMIT);
    }
  }

  @Test
  void aSubmenuItemReachedWithThePointerAndClickedSendsItsIdentity() throws Exception {
    String json =
        "[{\"HEADER\":\"Open\",\"IDENTITY\":\"open\"},"
            + "{\"HEADER\":\"Recent\",\"CHILDREN\":["
            + "{\"HEADER\":\"first.txt\",\"IDENTITY\":\"recent-first\"},"
            + "{\"HEADER\":\"second.txt\",\"IDENTITY\":\"recent-second\"}]},"
            + "{\"HEADER\":\"Close\",\"IDENTITY\":\"close\"}]";
    try (Upcalls upcalls = new Upcalls("open", "recent-first", "recent-second", "close")) {
      CompletableFuture<Integer> shown =
          app.later(() -> IxaDialogs.showMacContextMenuWithJSON(100, 300, json));
      XWindows.Window menu =
          XWindows.waitFor("the context menu", XWindows.Window::overrideRedirect, LIMIT);
      RealInput.move(menu.screenX(40), row(menu, 1));
      XWindows.Window submenu =
          XWindows.waitFor(
              "the submenu", w -> w.overrideRedirect() && w.id() != menu.id(), LIMIT);
      assertTrue(submenu.x() >= menu.x() + menu.width() - 10, "the submenu opens beside the menu");
      // Into the submenu along the row it opened at, then down to its second item.
      RealInput.move(submenu.screenX(30), row(submenu, 0));
      RealInput.move(submenu.screenX(40), row(submenu, 1));
      RealInput.click(submenu.screenX(40), row(submenu, 1));
      assertEquals(1, shown.get(10, TimeUnit.SECONDS));
      List<Upcalls.Arrival> arrivals = upcalls.drain();
      assertEquals(1, arrivals.size(), arrivals::toString);
      assertEquals("recent-second", arrivals.get(0).name());
      XWindows.waitForNone("a menu", XWindows.Window::overrideRedirect, LIMIT);
    }
  }

  @Test
  void controlCommaOpensThePreferences() {
    try (Upcalls upcalls = new Upcalls("APPMENU_PREFS", "APPMENU_ABOUT")) {
      assertEquals(1, app.onEdt(IxaDialogs::modifyMenuBar));
      waitForFocus(XWindows.find(WINDOW).id());
      RealInput.key("ctrl+comma");
      Upcalls.Arrival arrival = upcalls.next(LIMIT);
      assertEquals("APPMENU_PREFS", arrival.name());
      assertEquals("Brix Main Thread", arrival.thread());
      assertTrue(upcalls.drain().isEmpty());
    }
  }

  @Test
  void aClickInTheColourPanelSendsTheColour() {
    try (Upcalls upcalls = new Upcalls("COLORCHANGED")) {
      assertEquals(1, app.onEdt(() -> IxaDialogs.showMacColorPopover(0, 0)));
      XWindows.Window panel = RealInput.waitUntilMapped("Colors");
      // The colour wheel fills the middle of the panel.
      RealInput.click(panel.screenX(panel.width() / 2.0 - 20), panel.screenY(panel.height() / 2.0));
      Upcalls.Arrival arrival = upcalls.next(LIMIT);
      assertTrue(arrival.value().matches("#[0-9A-F]{6}"), arrival.value());
      assertEquals("Brix Main Thread", arrival.thread());
    }
  }

  /** The X coordinate of the middle of a menu's row (0 for the first item). */
  static int row(XWindows.Window menu, int index) {
    final int padding = 5;
    final int itemHeight = 22;
    return menu.screenY(padding + itemHeight * index + itemHeight / 2.0);
  }

  static boolean isTransientFor(XWindows.Window window, XWindows.Window owner) {
    return XWindows.transientFor(window).orElse(-1) == owner.id();
  }

  static void waitForFocus(long id) {
    XWindows.waitForFocus(id, LIMIT);
  }

}
