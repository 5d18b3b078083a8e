package ixa.testing;

import ixa.Ixa;
import java.util.ArrayList;
import java.util.List;

/**
 * Records what the native library sends to {@link Ixa#callNamedRunnable}, for tests on both sides:
 * each call becomes one line, "name" or "name|value" ("name|<null>" for a null value).
 */
public final class UpcallRecorder {
  private static final List<String> CALLS = new ArrayList<>();
  private static String throwOn = null;

  private UpcallRecorder() {}

  /** Records every call of name from now on. */
  public static synchronized void record(String name) {
    Ixa.register(
        name,
        (String value) -> {
          synchronized (UpcallRecorder.class) {
            CALLS.add(value == null ? name : name + "|" + value);
            if (name.equals(throwOn)) throw new IllegalStateException("handler of " + name + " failed");
          }
        });
  }

  /** Makes the handler of name throw after recording, or none with null. */
  public static synchronized void throwOn(String name) {
    throwOn = name;
  }

  /** The calls recorded so far, one per line, and forgets them. */
  public static synchronized String drain() {
    String text = String.join("\n", CALLS);
    CALLS.clear();
    return text;
  }
}
