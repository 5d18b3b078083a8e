package ixa;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonElement;
import com.google.gson.JsonObject;
import com.google.gson.JsonPrimitive;
import ixa.testing.Described;
import ixa.testing.UpcallRecorder;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.BeforeAll;
import org.junit.jupiter.api.Test;

/**
 * Context menus and the application menu driven as a user would: the test's call runs the menu
 * on the platform's main thread while a second thread chooses from it, and shortcuts go in as key events.
 */
class MenuTest {
  private static final String FILE_MENU =
      "[{\"HEADER\":\"File\",\"CHILDREN\":["
      + "{\"HEADER\":\"Open\",\"IDENTITY\":\"open\"},"
      + "{\"HEADER\":\"Recent\",\"CHILDREN\":["
      + "{\"HEADER\":\"a.txt\",\"IDENTITY\":\"recent-a\"},"
      + "{\"HEADER\":\"gone\",\"IDENTITY\":\"gone\",\"DISABLED\":\"1\"}]}]},"
      + "{\"HEADER\":\"-\"},{\"HEADER\":\"Quit\",\"IDENTITY\":\"quit\"}]";

  @BeforeAll
  static void serveWhatIsPending() {
    Screen.run(0);
  }

  @Test
  void aSecondThreadChoosesANestedItemOfTheOpenMenu() throws Exception {
    UpcallRecorder.record("recent-a");
    UpcallRecorder.record("gone");
    UpcallRecorder.drain();
    CompletableFuture<Boolean> user =
        CompletableFuture.supplyAsync(() -> Described.awaitOpenContextMenu()
                                            && User.chooseMenuItem("File", "Recent", "a.txt"));
    assertEquals(1, IxaDialogs.showMacContextMenuWithJSON(10, 20, FILE_MENU));
    assertTrue(user.get(15, TimeUnit.SECONDS));
    assertEquals("recent-a", UpcallRecorder.drain());
    JsonObject menu = Described.screen().getAsJsonObject("contextMenu");
    assertEquals(new JsonPrimitive("Contextual Menu"), menu.get("title"), menu.toString());
    assertEquals(new JsonPrimitive(false), menu.get("open"), menu.toString());
  }

  @Test
  void aDisabledItemCannotBeChosenAndTheMenuCanBeDismissed() throws Exception {
    UpcallRecorder.record("gone");
    UpcallRecorder.drain();
    CompletableFuture<Boolean> disabled = CompletableFuture.supplyAsync(() -> {
      Described.awaitOpenContextMenu();
      boolean chosen = User.chooseMenuItem("File", "Recent", "gone");
      User.dismissMenu();
      return chosen;
    });
    assertEquals(1, IxaDialogs.showMacContextMenuWithJSON(10, 20, FILE_MENU));
    assertFalse(disabled.get(30, TimeUnit.SECONDS));
    assertEquals("", UpcallRecorder.drain());
  }

  @Test
  void commandCommaSendsThePreferencesIdentity() {
    Screen.setApplicationMenu("A", "-", "B");
    assertEquals(1, IxaDialogs.modifyMenuBar());
    UpcallRecorder.record("APPMENU_PREFS");
    UpcallRecorder.drain();
    User.pressShortcut(",", "command");
    assertEquals("APPMENU_PREFS", UpcallRecorder.drain());
    List<String> titles = new ArrayList<>();
    collectTitles(Described.screen().get("mainMenu"), titles);
    assertTrue(titles.contains("About Ixa"), titles.toString());
    assertTrue(titles.contains("Check for Updates..."), titles.toString());
  }

  /** The titles of the items and their submenus, depth first. */
  private static void collectTitles(JsonElement items, List<String> titles) {
    for (JsonElement element : items.getAsJsonArray()) {
      JsonObject item = element.getAsJsonObject();
      JsonElement title = item.get("title");
      if (title.isJsonPrimitive()) titles.add(title.getAsString());
      if (item.has("submenu") && item.get("submenu").isJsonArray())
        collectTitles(item.get("submenu"), titles);
    }
  }
}
