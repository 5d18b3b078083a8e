package ixa.testing;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.fail;

import com.google.gson.JsonParser;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import java.io.File;
import java.io.IOException;
import java.net.URISyntaxException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;
import java.util.stream.Stream;

/**
 * Runs a main class of the tests in a JVM of its own under -Xcheck:jni, with the class path and
 * library path of the running tests and an empty user-defaults directory, for what one test must
 * not do to the others: crash, hang, or leave state behind.
 */
public final class ChildJvm {
  /** Lines that mean the JVM caught a native method breaking a JNI rule, or died of it. */
  private static final List<String> COMPLAINTS =
      List.of(
          "WARNING in native method",
          "FATAL ERROR in native method",
          "JNI call made",
          "WARNING: JNI local refs",
          "A fatal error has been detected",
          "FATAL");

  /** What a child did: its exit status (-1 when it was killed for taking too long) and output. */
  public record Result(int exitStatus, boolean timedOut, String output) {}

  private ChildJvm() {}

  /**
   * Runs main with the arguments and waits up to limitSeconds; a child that takes longer is
   * killed. Standard output and error go to one file, so a process the child leaves behind cannot
   * keep the test waiting for the end of a pipe.
   */
  public static Result run(Class<?> main, long limitSeconds, String... arguments)
      throws IOException, InterruptedException {
    return run(main, limitSeconds, Map.of(), arguments);
  }

  /** The same, with these environment variables set in the child (an empty value unsets one). */
  public static Result run(
      Class<?> main, long limitSeconds, Map<String, String> environment, String... arguments)
      throws IOException, InterruptedException {
    Path scratch = Files.createTempDirectory("brix-child");
    try {
      List<String> command = new ArrayList<>();
      command.add(Path.of(System.getProperty("java.home"), "bin", "java").toString());
      command.add("-Xcheck:jni");
      command.add("-Djava.library.path=" + libraryPath());
      command.add("-cp");
      command.add(
          String.join(
              File.pathSeparator,
              codeSource(IxaDialogs.class),
              codeSource(Screen.class),
              codeSource(main),
              codeSource(JsonParser.class)));
      command.add(main.getName());
      command.addAll(List.of(arguments));
      Path log = scratch.resolve("output.txt");
      ProcessBuilder builder =
          new ProcessBuilder(command)
              .directory(scratch.toFile())
              .redirectErrorStream(true)
              .redirectOutput(log.toFile());
      // Each child starts with no user defaults and writes none where the others read them.
      builder.environment().put("XDG_CONFIG_HOME", scratch.resolve("config").toString());
      environment.forEach(
          (name, value) -> {
            if (value.isEmpty()) builder.environment().remove(name);
            else builder.environment().put(name, value);
          });
      Process child = builder.start();
      boolean ended = child.waitFor(limitSeconds, TimeUnit.SECONDS);
      if (!ended) {
        child.descendants().forEach(ProcessHandle::destroyForcibly);
        child.destroyForcibly().waitFor();
      }
      String output = Files.readString(log, StandardCharsets.UTF_8);
      return new Result(ended ? child.exitValue() : -1, !ended, output);
    } finally {
      deleteTree(scratch);
    }
  }

  /** Fails unless the child ended by itself with status 0 and the JVM complained of nothing. */
  public static void assertClean(Result result) {
    if (result.timedOut()) fail("the child JVM hung and was killed:\n" + tail(result.output()));
    assertEquals(0, result.exitStatus(), () -> "the child JVM failed:\n" + tail(result.output()));
    for (String line : result.output().split("\n")) {
      for (String complaint : COMPLAINTS) {
        if (line.contains(complaint)) fail("the child JVM complained: " + line);
      }
    }
  }

  /** The library directory of this run: the test command's own, or the one it names. */
  private static String libraryPath() {
    String directory = System.getenv("BRIX_LIBRARY_DIR");
    return directory != null ? directory : System.getProperty("java.library.path");
  }

  private static String codeSource(Class<?> type) {
    try {
      return Path.of(type.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    } catch (URISyntaxException e) {
      throw new IllegalStateException(e);
    }
  }

  // The end of a long output is where the failure is.
  private static String tail(String output) {
    int limit = 20000;
    return output.length() <= limit ? output : "..." + output.substring(output.length() - limit);
  }

  private static void deleteTree(Path root) throws IOException {
    try (Stream<Path> paths = Files.walk(root)) {
      for (Path path : paths.sorted(Comparator.reverseOrder()).toList()) Files.deleteIfExists(path);
    }
  }
}
