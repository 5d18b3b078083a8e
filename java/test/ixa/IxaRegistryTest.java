package ixa;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import java.util.ArrayList;
import java.util.List;
import org.junit.jupiter.api.Test;

/** The registry that turns the library's upcalls into the application's actions. */
class IxaRegistryTest {
  @Test
  void runnableRunsOnBothKindsOfCallAndConsumerGetsTheValue() {
    List<String> seen = new ArrayList<>();
    Ixa.register("registry.run", () -> seen.add("run"));
    Ixa.register("registry.consume", (String value) -> seen.add("value=" + value));
    Ixa.callNamedRunnable("registry.run");
    Ixa.callNamedRunnable("registry.run", "ignored");
    Ixa.callNamedRunnable("registry.consume", "東京");
    Ixa.callNamedRunnable("registry.consume");
    assertEquals(List.of("run", "run", "value=東京", "value=null"), seen);
    Ixa.unregister("registry.run");
    Ixa.unregister("registry.consume");
  }

  @Test
  void unknownAndNullNamesAreIgnoredAndUnregisterStopsAnAction() {
    List<String> seen = new ArrayList<>();
    Ixa.callNamedRunnable("registry.nobody");
    Ixa.callNamedRunnable(null, "x");
    Ixa.register("registry.once", () -> seen.add("x"));
    Ixa.unregister("registry.once");
    Ixa.callNamedRunnable("registry.once");
    assertEquals(List.of(), seen);
    assertThrows(IllegalArgumentException.class, () -> Ixa.register(null, () -> {}));
  }

  @Test
  void laterRegistrationReplacesTheEarlierOne() {
    List<String> seen = new ArrayList<>();
    Ixa.register("registry.replace", (String v) -> seen.add("first:" + v));
    Ixa.register("registry.replace", (String v) -> seen.add("second:" + v));
    Ixa.callNamedRunnable("registry.replace", "v");
    assertEquals(List.of("second:v"), seen); // the first action is gone, not run as well
    Ixa.unregister("registry.replace");
    Ixa.callNamedRunnable("registry.replace", "w");
    assertEquals(List.of("second:v"), seen);
  }
}
