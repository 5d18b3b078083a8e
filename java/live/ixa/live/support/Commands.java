package ixa.live.support;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.util.List;
import java.util.concurrent.TimeUnit;

/** Runs the X tools the live tests use (xdotool, xwininfo, xprop) as separate processes. */
public final class Commands {
  private static final long LIMIT_SECONDS = 20;

  private Commands() {}

  /** The command's standard output; fails when it does not end in time or ends with an error. */
  public static String run(List<String> command) {
    Process process;
    try {
      ProcessBuilder builder = new ProcessBuilder(command);
      // The sanitized build preloads its runtime into the JVM; the X tools are not ours to check.
      builder.environment().remove("LD_PRELOAD");
      process = builder.start();
    } catch (IOException e) {
      throw new IllegalStateException("cannot start " + command + ": " + e.getMessage(), e);
    }
    try {
      process.getOutputStream().close();
      // Read while it runs: a full pipe would stop the tool.
      byte[] output = process.getInputStream().readAllBytes();
      byte[] errors = process.getErrorStream().readAllBytes();
      if (!process.waitFor(LIMIT_SECONDS, TimeUnit.SECONDS)) {
        process.destroyForcibly();
        throw new IllegalStateException(command + " did not end within " + LIMIT_SECONDS + " s");
      }
      if (process.exitValue() != 0)
        throw new IllegalStateException(
            command
                + " failed with "
                + process.exitValue()
                + ": "
                + new String(errors, StandardCharsets.UTF_8).strip());
      return new String(output, StandardCharsets.UTF_8);
    } catch (IOException e) {
      throw new IllegalStateException(command + ": " + e.getMessage(), e);
    } catch (InterruptedException e) {
      process.destroyForcibly();
      Thread.currentThread().interrupt();
      throw new IllegalStateException(command + " interrupted", e);
    }
  }
}
