package ixa;

import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import com.google.gson.JsonPrimitive;
import ixa.testing.ChildJvm;
import ixa.testkit.Screen;
import org.junit.jupiter.api.Test;

/**
 * The screen description's "userDefaults" shows what the restyling pass stores. The defaults
 * persist between runs, so the check runs in a child JVM that starts with none.
 */
class UserDefaultsDescriptionTest {
  @Test
  void theRestylingPassStoresApplePersistenceIgnoreState() throws Exception {
    ChildJvm.assertClean(ChildJvm.run(Child.class, 60));
  }

  /** The child: no defaults at first, then the one the pass sets, as a boolean. */
  public static final class Child {
    private Child() {}

    public static void main(String[] args) {
      Screen.run(0);
      JsonObject before = userDefaults();
      if (before.size() != 0) throw new AssertionError("fresh, yet with defaults: " + before);
      Screen.openWindow("Report", 100, 100, 600, 400);
      if (IxaDialogs.modifyWindows() != 1) throw new AssertionError("modifyWindows returns 1");
      JsonObject after = userDefaults();
      if (!new JsonPrimitive(true).equals(after.get("ApplePersistenceIgnoreState")))
        throw new AssertionError("the pass's default is missing: " + after);
      System.exit(0);
    }

    private static JsonObject userDefaults() {
      JsonObject screen = JsonParser.parseString(Screen.describe()).getAsJsonObject();
      return screen.getAsJsonObject("userDefaults");
    }
  }
}
