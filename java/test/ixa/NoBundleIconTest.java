package ixa;

import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.testing.ChildJvm;
import java.util.Map;
import org.junit.jupiter.api.Test;

/** An application without a bundle shows a generic application icon, never an empty square. */
class NoBundleIconTest {
  @Test
  void anAlertWithoutABundleShowsTheGenericApplicationIcon() throws Exception {
    ChildJvm.Result result =
        ChildJvm.run(NoBundleIconApplication.class, 60, Map.of("BRIX_MAIN_BUNDLE", ""));
    ChildJvm.assertClean(result);
    assertTrue(result.output().contains("ICON \"NSApplicationIcon\""), result.output());
  }
}
