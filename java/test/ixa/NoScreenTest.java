package ixa;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.internal.SelfCheck;
import ixa.testing.ChildJvm;
import java.util.Map;
import org.junit.jupiter.api.Test;

/**
 * With no usable X server, the calls that show windows fail at once with HeadlessException (a
 * hang ends the child at its limit and fails the test), and the others go on working.
 */
class NoScreenTest {
  private static final long LIMIT_SECONDS = 60;

  @Test
  void withoutDisplayEveryWindowCallThrowsHeadlessExceptionAndTheRestWork() throws Exception {
    ChildJvm.assertClean(
        ChildJvm.run(
            NoScreenApplication.class,
            LIMIT_SECONDS,
            Map.of("DISPLAY", "", "BRIX_DISPLAY", ""),
            "DISPLAY is not set"));
  }

  @Test
  void theSelfCheckOfTheJarSaysWhyItShowsNoAlert() throws Exception {
    ChildJvm.Result result =
        ChildJvm.run(SelfCheck.class, LIMIT_SECONDS, Map.of("DISPLAY", "", "BRIX_DISPLAY", ""));
    assertEquals(1, result.exitStatus(), result.output());
    assertTrue(result.output().contains("Display: none: DISPLAY is not set"), result.output());
    assertTrue(
        result.output().contains(
            "No self-check alert: IxaDialogs.showMacDialog needs a screen: DISPLAY is not set"),
        result.output());
  }

  @Test
  void anXServerThatCannotBeReachedIsNamedInTheException() throws Exception {
    // Display 4093 has no server here: the tests' own servers take low free numbers.
    ChildJvm.assertClean(
        ChildJvm.run(
            NoScreenApplication.class,
            LIMIT_SECONDS,
            Map.of("DISPLAY", ":4093", "BRIX_DISPLAY", "x11"),
            "the X server at DISPLAY=:4093 cannot be used"));
  }
}
