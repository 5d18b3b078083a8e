package ixa.live;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonElement;
import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import ixa.IxaDialogs;
import ixa.live.support.SwingApp;
import ixa.testkit.Screen;
import java.awt.Point;
import java.io.File;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.TimeUnit;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.Timeout;

/**
 * The very first call of an application that shows its frame before it calls the library: the
 * frame is hosted before that call looks for the current window, so the first sheet hangs on it.
 * A JVM of its own runs the application, since this suite's JVM has called the library already.
 */
@Timeout(60)
class FirstCallTest {
  @Test
  void theFirstSheetAfterTheStartHangsOnTheFrameShownBeforeIt() throws Exception {
    String java =
        System.getProperty("java.home") + File.separator + "bin" + File.separator + "java";
    // The output goes to a file: a pipe nobody reads while it runs would fill and stop it.
    File log = File.createTempFile("first-call", ".log");
    log.deleteOnExit();
    ProcessBuilder builder = new ProcessBuilder(List.of(java, "-Xcheck:jni",
            "-Djava.library.path=" + System.getProperty("java.library.path"),
            "-Djava.awt.headless=false", "-cp", classPath(),
            FirstCallTest.class.getName()))
        .redirectErrorStream(true)
        .redirectOutput(log);
    // Its leaks are not this test's: the JVM's own, at exit, would fail it under the sanitizers.
    builder.environment()
        .computeIfPresent("ASAN_OPTIONS", (name, value) -> value + ":detect_leaks=0");
    Process process = builder.start();
    boolean ended = process.waitFor(50, TimeUnit.SECONDS);
    if (!ended) process.destroyForcibly().waitFor();
    String output = Files.readString(log.toPath(), StandardCharsets.UTF_8);
    assertTrue(ended, "the application ended within 50 s: " + output);
    assertEquals(0, process.exitValue(), output);
    // -Xcheck:jni warns of nothing of ours: only of the JDK's own font and X11 natives (as the
    // suite's runner lets through, see tests/run-java-live).
    List<String> lines = output.lines().toList();
    List<String> ours = new ArrayList<>();
    for (int i = 0; i < lines.size(); i++) {
      String frame = i + 1 < lines.size() ? lines.get(i + 1) : "";
      boolean jdks = frame.startsWith("\tat sun.font.") || frame.startsWith("\tat sun.awt.");
      if (lines.get(i).startsWith("WARNING in native method") && !jdks) ours.add(frame);
    }
    assertEquals(List.of(), ours, "JNI warnings raised in these frames");
    assertEquals(1, output.lines().filter(l -> l.equals("the sheet hangs on First")).count(),
        output);
  }

  // The jars this suite runs from (the console launcher loads them itself, so the JVM's own
  // class path does not name them).
  private static String classPath() throws Exception {
    StringBuilder path = new StringBuilder();
    for (Class<?> type : List.of(FirstCallTest.class, IxaDialogs.class, Screen.class,
             JsonParser.class, Test.class)) {
      if (path.length() > 0) path.append(File.pathSeparator);
      path.append(new File(type.getProtectionDomain().getCodeSource().getLocation().toURI()));
    }
    return path.toString();
  }

  /** The application: a frame shown, then its first call, a text-entry sheet. */
  public static void main(String[] args) throws Exception {
    SwingApp app = SwingApp.show("First", new Point(80, 80));
    app.onEdt(() -> IxaDialogs.showTextEntrySheetDialog(
        "Name", "A name:", "OK", "Cancel", "FIRST_NAME"));
    JsonObject screen = JsonParser.parseString(Screen.describe()).getAsJsonObject();
    for (JsonElement element : screen.getAsJsonArray("windows")) {
      JsonObject window = element.getAsJsonObject();
      JsonElement sheet = window.get("attachedSheet");
      if (window.get("title").getAsString().equals("First") && sheet != null && !sheet.isJsonNull())
        System.out.println("the sheet hangs on First");
    }
    System.out.flush();
    System.exit(0);
  }
}
