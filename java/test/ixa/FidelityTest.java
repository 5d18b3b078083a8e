package ixa;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonObject;
import ixa.testing.Described;
import ixa.testing.UpcallRecorder;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * Sheets and menus where one call meets the state another left: a sheet shown by the handler of
 * the sheet being answered, a menu over a sheetified window, a progress sheet closed twice.
 */
class FidelityTest {
  private final List<Integer> opened = new ArrayList<>();

  @BeforeAll
  static void rememberTheEnvironment() {
    IxaDialogs.renderMacButton(0, 0, 0); // remembers the environment the upcalls use
  }

  @AfterEach
  void closeWindows() {
    Ixa.unregister("FIRST");
    IxaDialogs.closeSheetifiedWindow();
    for (int window : opened) {
      try {
        Screen.close(window);
      } catch (IllegalArgumentException alreadyGone) {
        // closed by the test itself
      }
    }
    Screen.run(0.05);
  }

  private int open(String title) {
    int window = Screen.openWindow(title, 100 + 20 * opened.size(), 200, 600, 400);
    opened.add(window);
    Screen.run(0);
    return window;
  }

  private static void answer(String text) {
    User.focusField(0);
    User.type(text);
    User.pressKey("Return");
    Screen.run(0.02);
  }

  @Test
  void aSheetShownByTheAcceptingHandlerStaysUpAndSendsItsOwnAnswer() {
    int main = open("Main");
    UpcallRecorder.record("SECOND");
    UpcallRecorder.drain();
    List<String> firstAnswers = new ArrayList<>();
    Ixa.register("FIRST", (String value) -> {
      firstAnswers.add(value);
      IxaDialogs.showTextEntrySheetDialog("Second", "Again:", "OK", "Cancel", "SECOND");
    });
    IxaDialogs.showTextEntrySheetDialog("First", "Name:", "OK", "Cancel", "FIRST");
    Screen.run(0.02);
    answer("a");
    assertEquals(List.of("a"), firstAnswers);
    JsonObject sheet = Described.attachedSheet(Described.screen(), main);
    JsonObject title = Described.ofClass(sheet, "NSTextField").get(0);
    assertEquals("Second", title.get("text").getAsString());

    answer("b");
    assertEquals("SECOND|b", UpcallRecorder.drain());
    assertEquals(0, Described.attachedSheetNumber(Described.screen(), main));
  }

  @Test
  void aMenuOverASheetifiedWindowOpensInThatSheet() throws Exception {
    int main = open("Main");
    int sheet = open("SHEETIFY");
    IxaDialogs.sheetifyWindow();
    Screen.run(0.2);
    assertEquals(List.of(sheet), Described.sheetsOf(Described.screen(), main));
    CompletableFuture<JsonObject> user = CompletableFuture.supplyAsync(() -> {
      assertTrue(Described.awaitOpenContextMenu());
      JsonObject screen = Described.screen();
      User.dismissMenu();
      return screen;
    });
    IxaDialogs.showMacContextMenuWithJSON(10, 20, "[{\"HEADER\":\"Copy\",\"IDENTITY\":\"copy\"}]");
    JsonObject screen = user.get(15, TimeUnit.SECONDS);
    JsonObject menu = screen.getAsJsonObject("contextMenu");
    List<Double> location = Described.numbers(menu.get("location"));
    List<Double> frame = Described.numbers(Described.window(screen, sheet).get("frame"));
    assertEquals(List.of(frame.get(0) + 10, frame.get(1) + 20), location, screen.toString());
  }

  @Test
  void closingTheProgressSheetTwiceLogsNothing() {
    open("Main");
    IxaDialogs.initProgressDialog();
    Screen.clearLog();
    assertEquals(1, IxaDialogs.closeProgressDialog());
    assertEquals(1, IxaDialogs.closeProgressDialog());
    assertEquals(List.of(), List.of(Screen.log()));
  }
}
