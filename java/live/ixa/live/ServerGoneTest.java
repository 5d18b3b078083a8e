package ixa.live;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonParser;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import java.awt.HeadlessException;
import java.io.BufferedReader;
import java.io.File;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.util.List;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicReference;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.Timeout;

/**
 * An X server that goes away while an alert waits for its answer: the alert's call ends with
 * HeadlessException instead of waiting for ever, and later calls fail at once. The application
 * runs in a JVM of its own on an Xvfb of its own, which it ends itself once its alert is shown.
 */
@Timeout(90)
class ServerGoneTest {
  private static final String LOST = "the connection to the X server was lost";

  @Test
  void theOpenAlertEndsAndLaterCallsThrowHeadlessException() throws Exception {
    runOnAServerThatGoesAway("alert");
  }

  @Test
  void theOpenContextMenuEndsAndLaterCallsThrowHeadlessException() throws Exception {
    runOnAServerThatGoesAway("menu");
  }

  private static void runOnAServerThatGoesAway(String shown) throws Exception {
    ProcessBuilder xvfb =
        new ProcessBuilder("Xvfb", "-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten",
                "tcp")
            .redirectError(ProcessBuilder.Redirect.DISCARD);
    // The sanitized build preloads its runtime into the JVM; the X tools are not ours to check.
    xvfb.environment().remove("LD_PRELOAD");
    Process server = xvfb.start();
    try {
      String number =
          new BufferedReader(new InputStreamReader(server.getInputStream(), StandardCharsets.UTF_8))
              .readLine();
      String java =
          System.getProperty("java.home") + File.separator + "bin" + File.separator + "java";
      File log = File.createTempFile("server-gone", ".log");
      log.deleteOnExit();
      ProcessBuilder builder =
          new ProcessBuilder(List.of(java, "-Xcheck:jni",
                  "-Djava.library.path=" + System.getProperty("java.library.path"), "-cp",
                  classPath(), ServerGoneTest.class.getName(), Long.toString(server.pid()),
                  shown))
              .redirectErrorStream(true)
              .redirectOutput(log);
      builder.environment().put("DISPLAY", ":" + number);
      builder.environment().put("BRIX_DISPLAY", "x11");
      builder.environment()
          .computeIfPresent("ASAN_OPTIONS", (name, value) -> value + ":detect_leaks=0");
      Process application = builder.start();
      boolean ended = application.waitFor(60, TimeUnit.SECONDS);
      if (!ended) application.destroyForcibly().waitFor();
      String output = Files.readString(log.toPath(), StandardCharsets.UTF_8);
      assertTrue(ended, "the application ended within 60 s: " + output);
      assertEquals(0, application.exitValue(), output);
      assertTrue(output.contains("SERVER GONE OK"), output);
    } finally {
      server.destroyForcibly().waitFor();
    }
  }

  private static String classPath() throws Exception {
    StringBuilder path = new StringBuilder();
    for (Class<?> type :
        List.of(ServerGoneTest.class, IxaDialogs.class, Screen.class, JsonParser.class,
            Test.class)) {
      if (path.length() > 0) path.append(File.pathSeparator);
      path.append(new File(type.getProtectionDomain().getCodeSource().getLocation().toURI()));
    }
    return path.toString();
  }

  /** The application: an alert or a menu, its server ended under it, then one more call. */
  public static void main(String[] args) throws Exception {
    AtomicReference<Throwable> thrown = new AtomicReference<>();
    Thread alert =
        new Thread(
            () -> {
              try {
                if (args[1].equals("menu"))
                  IxaDialogs.showMacContextMenuWithJSON(
                      100, 100, "[{\"HEADER\":\"Waiting\",\"IDENTITY\":\"waiting\"}]");
                else IxaDialogs.showMacDialog("Waiting", "for an answer", "OK", "Cancel");
              } catch (Throwable e) {
                thrown.set(e);
              }
            });
    alert.setDaemon(true);
    alert.start();
    // The alert is on the server once a window of ours is mapped there.
    ProcessBuilder xdotool =
        new ProcessBuilder("xdotool", "search", "--sync", "--onlyvisible", "--class", ".")
            .redirectErrorStream(true);
    xdotool.environment().remove("LD_PRELOAD");
    Process search = xdotool.start();
    if (!search.waitFor(20, TimeUnit.SECONDS)) throw new AssertionError("no alert shown");
    ProcessHandle.of(Long.parseLong(args[0])).orElseThrow().destroy();
    alert.join(20000);
    if (alert.isAlive()) throw new AssertionError("the " + args[1] + " still waits");
    Throwable ended = thrown.get();
    if (!(ended instanceof HeadlessException) || !ended.getMessage().contains(LOST))
      throw new AssertionError("the " + args[1] + " ended with " + ended);
    try {
      IxaDialogs.showMacDialog("Again", "", "OK", null);
      throw new AssertionError("a later alert did not throw");
    } catch (HeadlessException e) {
      if (!e.getMessage().contains(LOST)) throw new AssertionError("the later call said " + e);
    }
    System.out.println("SERVER GONE OK");
    System.out.flush();
    System.exit(0);
  }
}
