package ixa.live;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.google.gson.JsonParser;
import ixa.IxaDialogs;
import ixa.live.support.SwingApp;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.awt.Color;
import java.awt.Point;
import java.awt.image.BufferedImage;
import java.io.File;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.util.List;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.Timeout;

/**
 * An application without a bundle icon whose Swing frame carries an icon: its alerts show that
 * icon. A JVM of its own runs it, without the bundle the suite runs with.
 */
@Timeout(150)
class JavaFrameIconTest {
  @Test
  void anAlertShowsTheIconOfTheApplicationsFrame() throws Exception {
    String java =
        System.getProperty("java.home") + File.separator + "bin" + File.separator + "java";
    File log = File.createTempFile("frame-icon", ".log");
    log.deleteOnExit();
    ProcessBuilder builder =
        new ProcessBuilder(List.of(java, "-Xcheck:jni",
                "-Djava.library.path=" + System.getProperty("java.library.path"),
                "-Djava.awt.headless=false", "-cp", classPath(),
                JavaFrameIconTest.class.getName()))
            .redirectErrorStream(true)
            .redirectOutput(log);
    builder.environment().remove("BRIX_MAIN_BUNDLE");
    builder.environment()
        .computeIfPresent("ASAN_OPTIONS", (name, value) -> value + ":detect_leaks=0");
    Process process = builder.start();
    boolean ended = process.waitFor(120, TimeUnit.SECONDS);
    if (!ended) process.destroyForcibly().waitFor();
    String output = Files.readString(log.toPath(), StandardCharsets.UTF_8);
    assertTrue(ended, "the application ended within 120 s: " + output);
    assertEquals(0, process.exitValue(), output);
    assertTrue(output.contains("ICON \"Java frame icon\""), output);
  }

  private static String classPath() throws Exception {
    StringBuilder path = new StringBuilder();
    for (Class<?> type :
        List.of(JavaFrameIconTest.class, IxaDialogs.class, Screen.class, JsonParser.class,
            Test.class)) {
      if (path.length() > 0) path.append(File.pathSeparator);
      path.append(new File(type.getProtectionDomain().getCodeSource().getLocation().toURI()));
    }
    return path.toString();
  }

  /** The application: a frame with a red icon, then an alert; prints the alert's image. */
  public static void main(String[] args) throws Exception {
    SwingApp app = SwingApp.show("Iconic", new Point(80, 80));
    BufferedImage icon = new BufferedImage(48, 48, BufferedImage.TYPE_INT_ARGB);
    var graphics = icon.createGraphics();
    graphics.setColor(Color.RED);
    graphics.fillRect(0, 0, 48, 48);
    graphics.dispose();
    app.onEdt(() -> {
      app.frame().setIconImage(icon);
      return null;
    });
    CompletableFuture<String> shown = CompletableFuture.supplyAsync(() -> {
      String screen = "";
      // Looked at every 20 ms, leaving the main thread to the alert meanwhile.
      for (int i = 0; i < 2000 && !screen.contains("\"alert\":{"); i++) {
        screen = Screen.describe();
        if (!screen.contains("\"alert\":{")) pause();
      }
      // The alert's panel is the front window: its icon is the first image described.
      Matcher image = Pattern.compile("\"image\":(\"[^\"]*\"|null)").matcher(screen);
      String found = image.find() ? image.group(1) : "none";
      User.pressButton("OK");
      return found;
    });
    IxaDialogs.showMacDialog("Iconic", "", "OK", null);
    System.out.println("ICON " + shown.get(60, TimeUnit.SECONDS));
    System.out.flush();
    System.exit(0);
  }

  private static void pause() {
    try {
      Thread.sleep(20);
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
    }
  }
}
