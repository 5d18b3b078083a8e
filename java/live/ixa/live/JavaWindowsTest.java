package ixa.live;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonElement;
import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import ixa.IxaDialogs;
import ixa.live.support.Commands;
import ixa.live.support.OnScreen;
import ixa.live.support.RealInput;
import ixa.live.support.SwingApp;
import ixa.live.support.Upcalls;
import ixa.live.support.XWindows;
import ixa.testkit.Screen;
import ixa.testkit.ScreenExtension;
import java.awt.Point;
import java.awt.Rectangle;
import java.awt.Robot;
import java.awt.event.WindowAdapter;
import java.awt.event.WindowEvent;
import java.awt.image.BufferedImage;
import java.time.Duration;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;
import java.util.function.BooleanSupplier;
import java.util.function.Supplier;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.Timeout;
import org.junit.jupiter.api.extension.ExtendWith;

/**
 * The Swing application's own frames are windows of the platform: the lookups find them, a frame
 * titled SHEETIFY becomes a sheet of another, sheets hang on them, the restyling and full screen
 * act on them, and closing one runs Java's own close handling. Each test shows a real JFrame
 * "Doc" (a button and a text field) at (60, 60) of the screen; the platform hosts it under a
 * title bar of its own, 28 pixels high. (AWT counts that bar as its frames' top inset from the
 * first adoption on, and makes later frames that much smaller inside: the tests compare with
 * what Java says of its frame, not with fixed sizes.)
 */
@ExtendWith(ScreenExtension.class)
@Timeout(60)
class JavaWindowsTest {
  private static final Duration LIMIT = Duration.ofSeconds(10);
  private SwingApp doc;
  // The height of Doc's title bar and the width of its left edge, which Java counts as its
  // frame's top and left insets.
  private int titleBar;
  private int leftEdge;

  @BeforeEach
  void showDoc() {
    doc = SwingApp.show();
    // Upcalls use the environment the storing natives remember.
    doc.onEdt(() -> IxaDialogs.renderMacButton(0, 0, 0));
    waitUntil("Doc is a window of the platform", () -> numberOf("Doc") != 0);
    // On the server, Java's frame is inside the platform's window titled after it.
    waitUntilDocSettles();
    titleBar = doc.onEdt(() -> doc.frame().getInsets().top);
    leftEdge = doc.onEdt(() -> doc.frame().getInsets().left);
  }

  @AfterEach
  void closeDoc() {
    doc.close();
    // The next test's frame is also "Doc": this one's window must be gone first, from the
    // platform and from the server.
    waitUntil("Doc's window is gone", () -> numberOf("Doc") == 0);
    XWindows.waitForNone("Doc", w -> w.title().equals("Doc"), LIMIT);
  }

  @Test
  void theLookupsFindTheFrameAndJavaSeesItWhereItIs() {
    assertEquals(List.of("Doc"), Arrays.asList(Screen.windowTitles()));
    JsonObject window = windowDescription(numberOf("Doc"));
    assertEquals("NSHostedWindow", window.get("class").getAsString());
    assertTrue(window.get("key").getAsBoolean());
    // The window around the frame's content is where Java believes its frame is: Java counts
    // the title bar as its frame's top inset (AppKit's 28 pixels on a bare server, the height of
    // the window manager's own where one framed the window first), and its content sits under it.
    XWindows.Window onServer = XWindows.find("Doc");
    assertEquals(doc.onEdt(() -> doc.frame().getBounds()), bounds(onServer));
    assertEquals(new Point(onServer.x() + leftEdge, onServer.y() + titleBar),
        doc.onEdt(() -> doc.frame().getContentPane().getLocationOnScreen()));
    assertEquals(ProcessHandle.current().pid(), XWindows.pid(onServer));
    // Java's own helper windows are not windows of the platform.
    assertEquals(1, JsonParser.parseString(Screen.describe()).getAsJsonObject()
        .getAsJsonArray("windows").size());
  }

  @Test
  void aFrameTitledSheetifyBecomesDocsSheetAndAnOrdinaryWindowAgain() throws Exception {
    SwingApp marked = SwingApp.show("SHEETIFY", new Point(700, 300));
    CountDownLatch closing = closingOf(marked);
    try {
      waitUntil("SHEETIFY is a window of the platform", () -> numberOf("SHEETIFY") != 0);
      int sheet = numberOf("SHEETIFY");
      int parent = numberOf("Doc");
      assertEquals(1, (int) doc.onEdt(IxaDialogs::sheetifyWindow));
      waitUntil("SHEETIFY is Doc's sheet", () -> sheetNumberOf(parent) == sheet);
      // It hangs under Doc's title bar, centred on it.
      XWindows.Window docOnServer = XWindows.find("Doc");
      XWindows.Window sheetOnServer =
          XWindows.waitFor("the sheet under Doc's title bar",
              w -> w.title().equals("SHEETIFY") && w.y() == docOnServer.y() + titleBar
                  && w.x() == docOnServer.x() + Math.floorDiv(docOnServer.width() - w.width(), 2),
              LIMIT);
      assertEquals(XWindows.find("Doc").id(),
          XWindows.transientFor(sheetOnServer).orElse(0));

      assertEquals(1, (int) doc.onEdt(IxaDialogs::closeSheetifiedWindow));
      assertTrue(closing.await(10, TimeUnit.SECONDS), "Java's windowClosing ran");
      waitUntil("Doc has no sheet", () -> sheetNumberOf(parent) == 0);
      // Shown again, it is an ordinary window of its own.
      marked.onEdt(() -> {
        marked.frame().setVisible(true);
        return null;
      });
      waitUntil("SHEETIFY is back", () -> numberOf("SHEETIFY") != 0);
      JsonElement sheetParent = windowDescription(numberOf("SHEETIFY")).get("sheetParent");
      assertTrue(sheetParent.isJsonNull(), "no longer a sheet: " + sheetParent);
    } finally {
      marked.close();
    }
  }

  @Test
  void aTextEntrySheetOnDocIsAnsweredByTyping() {
    try (Upcalls upcalls = new Upcalls("DOC_NAME")) {
      int parent = numberOf("Doc");
      assertEquals(1, (int) doc.onEdt(() -> IxaDialogs.showTextEntrySheetDialog(
          "Rename", "The document's new name:", "Rename", "Cancel", "DOC_NAME")));
      waitUntil("a sheet on Doc", () -> sheetNumberOf(parent) != 0);
      XWindows.Window docOnServer = XWindows.find("Doc");
      XWindows.Window sheet = XWindows.waitFor("the sheet's window on the server",
          w -> w.id() != docOnServer.id() && w.y() == docOnServer.y() + titleBar, LIMIT);
      XWindows.waitForFocus(sheet.id(), LIMIT);
      // Moved from outside (by the window manager, or by a tool on a bare server), Doc takes its
      // sheet along, under its title bar.
      Commands.run(List.of("xdotool", "windowmove", docOnServer.hexId(), "200", "150"));
      XWindows.Window movedDoc = XWindows.waitFor("Doc moved",
          w -> w.id() == docOnServer.id() && w.x() == 200 && w.y() == 150, LIMIT);
      XWindows.waitFor("the sheet under Doc's title bar where Doc now is",
          w -> w.id() == sheet.id() && w.y() == movedDoc.y() + titleBar
              && w.x() == movedDoc.x() + Math.floorDiv(movedDoc.width() - w.width(), 2), LIMIT);
      Point field = OnScreen.editableFieldCentre(sheetNumberOf(parent));
      RealInput.click(field.x, field.y);
      RealInput.type("Doc, second draft");
      RealInput.key("Return");
      assertEquals("Doc, second draft", upcalls.next(LIMIT).value());
      waitUntil("the sheet is gone", () -> sheetNumberOf(parent) == 0);
    }
  }

  @Test
  void afterRestylingTheBandIsAcrossDocsTopAndItsContentStillTakesClicksAndKeys()
      throws Exception {
    XWindows.Window window = XWindows.find("Doc");
    assertEquals(1, (int) doc.onEdt(IxaDialogs::modifyWindows));
    // The content gives up its top 50 points to the band, under the transparent title bar.
    waitUntil("Doc's content moved under the band",
        () -> doc.onEdt(() -> doc.frame().getContentPane().getLocationOnScreen().y)
            == window.y() + 50);
    Robot robot = new Robot();
    Rectangle top = new Rectangle(window.x(), window.y(), window.width(), 50);
    waitUntil("the band's brand text is drawn across Doc's top",
        () -> countBrandPixels(robot.createScreenCapture(top)) > 20);

    CountDownLatch pressed = new CountDownLatch(1);
    Point button = doc.onEdt(() -> {
      doc.button().addActionListener(e -> pressed.countDown());
      Point at = doc.button().getLocationOnScreen();
      return new Point(at.x + doc.button().getWidth() / 2, at.y + doc.button().getHeight() / 2);
    });
    assertTrue(button.y > window.y() + 50, "the button is below the band: " + button);
    RealInput.click(button.x, button.y);
    assertTrue(pressed.await(10, TimeUnit.SECONDS), "the button's ActionListener ran");

    typeIntoTheField("typed here");
  }

  @Test
  void fullScreenFillsTheScreenWithDocAndBack() {
    Rectangle before = bounds(XWindows.find("Doc"));
    int contentHeight = doc.onEdt(() -> doc.frame().getContentPane().getHeight());
    assertEquals(1, (int) doc.onEdt(IxaDialogs::enterFullScreen));
    XWindows.waitFor("Doc filling the screen", w -> w.title().equals("Doc")
        && bounds(w).equals(new Rectangle(0, 0, 1440, 900)), LIMIT);
    waitUntil("Java's content fills the screen",
        () -> doc.onEdt(() -> doc.frame().getContentPane().getSize().height) == 900);
    assertEquals(1, (int) doc.onEdt(IxaDialogs::enterFullScreen));
    XWindows.waitFor("Doc back in its place", w -> w.title().equals("Doc")
        && bounds(w).equals(before), LIMIT);
    waitUntil("Java's content back to its size",
        () -> doc.onEdt(() -> doc.frame().getContentPane().getHeight()) == contentHeight);
  }

  @Test
  void draggingTheTitleBarMovesDocAndJavaSeesWhereItIs() {
    XWindows.Window before = XWindows.find("Doc");
    int x = before.screenX(200), y = before.screenY(titleBar / 2.0);
    RealInput.drag(x, y, x + 150, y + 100);
    XWindows.Window after = XWindows.waitFor("Doc moved with the pointer",
        w -> w.title().equals("Doc") && w.x() == before.x() + 150 && w.y() == before.y() + 100,
        LIMIT);
    waitUntil(() -> "Java sees its frame where it now is: " + after + " java "
                  + doc.onEdt(() -> doc.frame().getContentPane().getLocationOnScreen()),
        () -> doc.onEdt(() -> doc.frame().getContentPane().getLocationOnScreen())
                  .equals(new Point(after.x() + leftEdge, after.y() + titleBar)));
  }

  @Test
  void javasOwnMovesAndResizesMoveAndResizeItsWindow() {
    doc.onEdt(() -> {
      doc.frame().setLocation(300, 250);
      return null;
    });
    XWindows.waitFor("Doc where Java put it",
        w -> w.title().equals("Doc") && w.x() == 300 && w.y() == 250, LIMIT);
    waitUntil("Java sees its frame where it put it",
        () -> doc.onEdt(() -> doc.frame().getLocationOnScreen()).equals(new Point(300, 250)));

    doc.onEdt(() -> {
      doc.frame().setSize(500, 300);
      return null;
    });
    XWindows.waitFor("Doc with the size Java gave it",
        w -> w.title().equals("Doc") && bounds(w).equals(new Rectangle(300, 250, 500, 300)), LIMIT);
    waitUntil("Java's content laid out in the new size",
        () -> doc.onEdt(() -> doc.frame().getContentPane().getHeight()
                              == 300 - titleBar - doc.frame().getInsets().bottom));
    waitUntil("Java sees its frame as it made it",
        () -> doc.onEdt(() -> doc.frame().getBounds()).equals(new Rectangle(300, 250, 500, 300)));

    // Moved and resized at once.
    doc.onEdt(() -> {
      doc.frame().setBounds(200, 150, 450, 260);
      return null;
    });
    XWindows.waitFor("Doc with the bounds Java gave it",
        w -> w.title().equals("Doc") && bounds(w).equals(new Rectangle(200, 150, 450, 260)), LIMIT);
    waitUntil("Java sees its frame with the bounds it gave it",
        () -> doc.onEdt(() -> doc.frame().getBounds()).equals(new Rectangle(200, 150, 450, 260)));
  }

  @Test
  void keyEquivalentsReachTheApplicationWhileJavaHasTheKeyboard() {
    try (Upcalls upcalls = new Upcalls("APPMENU_PREFS")) {
      assertEquals(1, (int) doc.onEdt(IxaDialogs::modifyMenuBar));
      typeIntoTheField("abc");
      RealInput.key("ctrl+comma");
      assertEquals("APPMENU_PREFS", upcalls.next(LIMIT).name());
    }
  }

  @Test
  void orderingAPlatformWindowInAndOutMovesTheFocusAndTheStackWithJava() {
    int workspace = Screen.openWindow("Workspace", 300, 300, 500, 300);
    XWindows.Window ours = RealInput.waitUntilMapped("Workspace");
    XWindows.waitForFocus(ours.id(), LIMIT);
    waitUntil("Java's frame lost the focus", () -> !doc.onEdt(() -> doc.frame().isFocused()));
    assertEquals("Workspace", XWindows.mapped().get(0).title(), "ours is in front");

    Screen.orderFront(numberOf("Doc"));
    waitUntil("Doc is in front on the server",
        () -> XWindows.mapped().get(0).title().equals("Doc"));
    Screen.close(workspace);
    // The key window is Doc's again, and Java's frame has the focus.
    waitUntil("Java's frame has the focus again", () -> doc.onEdt(() -> doc.frame().isFocused()));
    assertTrue(windowDescription(numberOf("Doc")).get("key").getAsBoolean());
  }

  @Test
  void theCloseButtonRunsJavasWindowClosing() throws Exception {
    CountDownLatch closing = closingOf(doc);
    // The close button is the first of the title bar's three, at its left end.
    XWindows.Window window = XWindows.find("Doc");
    waitUntil("Doc is key", () -> windowDescription(numberOf("Doc")).get("key").getAsBoolean());
    RealInput.click(window.screenX(14), window.screenY(titleBar / 2.0));
    assertTrue(closing.await(10, TimeUnit.SECONDS), "Java's windowClosing ran");
    // The frame disposes of itself on closing: the platform's window goes with it.
    waitUntil("Doc is gone", () -> numberOf("Doc") == 0);
    assertNotEquals(List.of("Doc"), Arrays.asList(Screen.windowTitles()));
  }

  // MARK: helpers

  // Waits until the server shows one window "Doc", hosting Java's frame, and Java has seen where
  // it is: AWT learns its frame's new insets after the adoption and may then ask for its frame to
  // be moved back where it wanted it, so the two agree only once that has settled (for 300 ms).
  private void waitUntilDocSettles() {
    long deadline = System.nanoTime() + LIMIT.toNanos();
    long agreedSince = 0;
    List<XWindows.Window> docs;
    Rectangle java;
    do {
      docs = XWindows.mapped().stream().filter(w -> w.title().equals("Doc")).toList();
      java = doc.onEdt(() -> doc.frame().getBounds());
      boolean agree = docs.size() == 1 && hostsJavaFrame(docs.get(0))
          && java.equals(bounds(docs.get(0)));
      long now = System.nanoTime();
      if (!agree) agreedSince = 0;
      else if (agreedSince == 0) agreedSince = now;
      else if (now - agreedSince >= Duration.ofMillis(300).toNanos()) return;
      Screen.run(0.02);
    } while (System.nanoTime() < deadline);
    throw new AssertionError("Doc never settled within 10 s: on the server " + docs
        + ", Java's frame " + java);
  }

  // Whether a top-level window has Java's frame "Doc" as its only child.
  private static boolean hostsJavaFrame(XWindows.Window window) {
    return XWindows.childTitles(window).equals(List.of("Doc"));
  }

  // Clicks Doc's text field where Java says it is, types the text and waits until Java has it.
  // Java learns where its frame is from the server a little after each change, so a first click
  // may miss; a person whose click did not give the field the focus clicks again, and so does
  // this, at the place Java gives then.
  private void typeIntoTheField(String text) {
    for (int attempt = 1; !fieldHasFocus(); attempt++) {
      Point field = doc.onEdt(() -> {
        Point at = doc.field().getLocationOnScreen();
        return new Point(at.x + 20, at.y + doc.field().getHeight() / 2);
      });
      if (attempt > 2)
        throw new AssertionError("the field never took the focus after two clicks at " + field
            + "; frame focused " + doc.onEdt(() -> doc.frame().isFocused()) + ", focus owner "
            + doc.onEdt(() -> String.valueOf(doc.frame().getFocusOwner())) + ", X focus 0x"
            + Long.toHexString(XWindows.focus()) + ", Doc on the server " + XWindows.find("Doc"));
      RealInput.click(field.x, field.y);
      long deadline = System.nanoTime() + Duration.ofSeconds(4).toNanos();
      while (!fieldHasFocus() && System.nanoTime() < deadline) Screen.run(0.02);
    }
    RealInput.type(text);
    waitUntil("the field took the text", () -> doc.onEdt(() -> doc.field().getText()).equals(text));
  }

  private boolean fieldHasFocus() {
    return doc.onEdt(() -> doc.field().isFocusOwner());
  }

  // Counts down when Java's windowClosing runs for the application's frame.
  private static CountDownLatch closingOf(SwingApp app) {
    CountDownLatch closing = new CountDownLatch(1);
    app.onEdt(() -> {
      app.frame().addWindowListener(new WindowAdapter() {
        @Override
        public void windowClosing(WindowEvent e) {
          closing.countDown();
        }
      });
      return null;
    });
    return closing;
  }


  private static Rectangle bounds(XWindows.Window window) {
    return new Rectangle(window.x(), window.y(), window.width(), window.height());
  }

  // Purple pixels of the band's brand text.
  private static int countBrandPixels(BufferedImage image) {
    int count = 0;
    for (int y = 0; y < image.getHeight(); y++)
      for (int x = 0; x < image.getWidth(); x++) {
        int rgb = image.getRGB(x, y);
        int r = (rgb >> 16) & 0xff, g = (rgb >> 8) & 0xff, b = rgb & 0xff;
        if (r > 90 && b > 70 && g < 60) count++;
      }
    return count;
  }

  private static JsonObject describe() {
    return JsonParser.parseString(Screen.describe()).getAsJsonObject();
  }

  // The number of the platform's visible window with that title; 0 when there is none.
  private static int numberOf(String title) {
    for (JsonElement element : describe().getAsJsonArray("windows")) {
      JsonObject window = element.getAsJsonObject();
      if (window.get("title").getAsString().equals(title)) return window.get("number").getAsInt();
    }
    return 0;
  }

  private static JsonObject windowDescription(int number) {
    for (JsonElement element : describe().getAsJsonArray("windows")) {
      JsonObject window = element.getAsJsonObject();
      if (window.get("number").getAsInt() == number) return window;
    }
    throw new AssertionError("no window " + number + " is on screen");
  }

  // The number of the sheet attached to the window; 0 when it has none or is not on screen.
  private static int sheetNumberOf(int number) {
    for (JsonElement element : describe().getAsJsonArray("windows")) {
      JsonObject window = element.getAsJsonObject();
      if (window.get("number").getAsInt() != number) continue;
      JsonElement sheet = window.get("attachedSheet");
      if (sheet == null || sheet.isJsonNull()) return 0;
      return sheet.isJsonObject() ? sheet.getAsJsonObject().get("number").getAsInt()
                                  : sheet.getAsInt();
    }
    return 0;
  }

  private static void waitUntil(String what, BooleanSupplier condition) {
    waitUntil(() -> what, condition);
  }

  private static void waitUntil(Supplier<String> what, BooleanSupplier condition) {
    long deadline = System.nanoTime() + LIMIT.toNanos();
    while (!condition.getAsBoolean()) {
      if (System.nanoTime() > deadline) throw new AssertionError("not within 10 s: " + what.get());
      Screen.run(0.02);
    }
  }
}
