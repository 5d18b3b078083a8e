package ixa;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.testkit.Screen;
import java.awt.image.BufferedImage;
import java.io.ByteArrayInputStream;
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
import javax.imageio.ImageIO;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/** Relaunching, shell commands and the system queries, through the native methods. */
class SystemTest {
  private static final String AWKWARD = "it's \"quoted\" $HOME `id` $(id) back\\slash ; & | * ~";
  private static final long CHILD_LIMIT_SECONDS = 20;

  private Path scratch;

  @BeforeEach
  void makeScratch() throws IOException {
    scratch = Files.createTempDirectory("brix-system-");
  }

  @AfterEach
  void removeScratch() throws IOException {
    try (Stream<Path> paths = Files.walk(scratch)) {
      paths.sorted(Comparator.reverseOrder()).map(Path::toFile).forEach(File::delete);
    }
  }

  // --- runCommandAsNSTask -----------------------------------------------------------------------

  @Test
  void commandRunsAndTheAnswerIsOneWhateverItDoes() throws IOException {
    Path marker = scratch.resolve(AWKWARD);
    String quoted = "'" + marker.toString().replace("'", "'\\''") + "'";
    assertEquals(1, IxaDialogs.runCommandAsNSTask("printf ran > " + quoted + "; exit 9"));
    assertEquals("ran", Files.readString(marker));
    assertEquals(1, IxaDialogs.runCommandAsNSTask("echo only-on-stderr >&2"));
    assertEquals(1, IxaDialogs.runCommandAsNSTask("printf '\\377\\376 not UTF-8'"));
    assertEquals(1, IxaDialogs.runCommandAsNSTask("no-such-command-brix 2>/dev/null"));
    assertEquals(1, IxaDialogs.runCommandAsNSTask(""));
    assertEquals(1, IxaDialogs.runCommandAsNSTask(null));
  }

  @Test
  void commandWaitsForABackgroundProcessThatHoldsItsOutput() throws IOException {
    Path marker = scratch.resolve("late");
    assertEquals(
        1, IxaDialogs.runCommandAsNSTask("(sleep 0.5; printf late > '" + marker + "') & echo x"));
    assertTrue(Files.exists(marker), "returned before the background writer finished");
  }

  // --- getMiscMacInfo ---------------------------------------------------------------------------

  @Test
  void theHighlightColourAndTheWindowsFollowTheDesktopsScheme() throws IOException {
    int window = Screen.openWindow("Scheme", 100, 100, 300, 200);
    try {
      Screen.setDesktopAppearance(true, 1);
      Screen.run(0);
      assertEquals(
          "{\"R\":0.247000,\"G\":0.388000,\"B\":0.545000,\"A\":1.000000}",
          IxaDialogs.getMiscMacInfo("HIGHLIGHTCOLOUR"));
      assertTrue(middleBrightness(window) < 0.3, "a dark window");
      Screen.setDesktopAppearance(false, 1);
      Screen.run(0);
      assertEquals(
          "{\"R\":0.700000,\"G\":0.840000,\"B\":1.000000,\"A\":1.000000}",
          IxaDialogs.getMiscMacInfo("HIGHLIGHTCOLOUR"));
      assertTrue(middleBrightness(window) > 0.8, "a light window");
      assertThrows(IllegalArgumentException.class, () -> Screen.setDesktopAppearance(true, 9));
    } finally {
      Screen.setDesktopAppearance(false, 1);
      Screen.close(window);
      Screen.run(0);
    }
  }

  /** The brightness (0 to 1) of the pixel in the middle of the window's snapshot. */
  private static double middleBrightness(int window) throws IOException {
    BufferedImage image = ImageIO.read(new ByteArrayInputStream(Screen.snapshot(window, 1)));
    int rgb = image.getRGB(image.getWidth() / 2, image.getHeight() / 2);
    return ((rgb >> 16 & 0xff) + (rgb >> 8 & 0xff) + (rgb & 0xff)) / (3 * 255.0);
  }

  @Test
  void exactKeysAnswerAndEveryOtherKeyGivesNull() {
    String colour = IxaDialogs.getMiscMacInfo("HIGHLIGHTCOLOUR");
    assertTrue(
        colour.matches(
            "\\{\"R\":-?\\d+\\.\\d{6},\"G\":-?\\d+\\.\\d{6},\"B\":-?\\d+\\.\\d{6},\"A\":1\\.000000\\}"),
        colour);
    for (String key :
        new String[] {
          "", "highlightcolour", "HIGHLIGHTCOLOR", " HIGHLIGHTCOLOUR", "HIGHLIGHTCOLOUR\0",
          "applicationsupportdirectory", "APPLICATIONSUPPORTDIRECTORY ", null
        }) {
      assertNull(IxaDialogs.getMiscMacInfo(key), String.valueOf(key));
    }
  }

  @Test
  void applicationSupportDirectoryFollowsThisProcessesEnvironment() {
    String xdg = System.getenv("XDG_DATA_HOME");
    String expected =
        xdg != null && xdg.startsWith("/")
            ? xdg.replaceAll("(?<=.)/+$", "")
            : homeDirectory() + "/.local/share";
    assertEquals(expected, IxaDialogs.getMiscMacInfo("APPLICATIONSUPPORTDIRECTORY"));
  }

  private static String homeDirectory() {
    String home = System.getenv("HOME");
    if (home == null || !home.startsWith("/")) home = System.getProperty("user.home");
    return home.equals("/") ? "" : home.replaceAll("/+$", "");
  }

  @Test
  void applicationSupportDirectoryIsXdgDataHomeWhenThatIsAbsolute() throws Exception {
    boolean unicodeEnvironment = "UTF-8".equals(System.getProperty("sun.jnu.encoding"));
    String dataHome = scratch.resolve(unicodeEnvironment ? "Dätä ☃ 😀" : "data home") + "/";
    List<String> answers =
        infoInChild(
            Map.of("XDG_DATA_HOME", dataHome), List.of("APPLICATIONSUPPORTDIRECTORY", "other"));
    assertEquals(List.of(dataHome.substring(0, dataHome.length() - 1), "null"), answers);
    assertFalse(Files.exists(Path.of(dataHome)), "the query must not create the directory");
  }

  private List<String> infoInChild(Map<String, String> environment, List<String> keys)
      throws Exception {
    Path output = scratch.resolve("info.txt");
    Files.deleteIfExists(output);
    List<String> arguments = new ArrayList<>(List.of("info", output.toString()));
    arguments.addAll(keys);
    ProcessBuilder builder = childJvm(arguments).directory(scratch.toFile());
    builder.environment().putAll(environment);
    Path log = scratch.resolve("info.log");
    Process child = builder.redirectErrorStream(true).redirectOutput(log.toFile()).start();
    assertTrue(child.waitFor(CHILD_LIMIT_SECONDS, TimeUnit.SECONDS), "the child JVM hangs");
    assertEquals(0, child.exitValue(), Files.readString(log));
    assertNoJniComplaint(log);
    return List.of(Files.readString(output, StandardCharsets.UTF_8).split("\n", -1));
  }

  // --- relaunchThyself --------------------------------------------------------------------------

  @Test
  void relaunchEndsTheApplicationAndBringsItBackWithTheSameCommandLine() throws Exception {
    // Quotes, dollars, back quotes and backslashes in the working directory, the arguments and
    // the paths must all come back literally.
    Path home = Files.createDirectory(scratch.resolve(AWKWARD));
    Path state = home.resolve("state");
    Path log = home.resolve("log.txt");
    Process first =
        childJvm(List.of("relaunch", state.toString(), AWKWARD, "", "last"))
            .directory(home.toFile())
            .redirectErrorStream(true)
            .redirectOutput(log.toFile())
            .start();
    assertTrue(first.waitFor(CHILD_LIMIT_SECONDS, TimeUnit.SECONDS), "the first run did not end");
    assertEquals(0, first.exitValue(), Files.readString(log));
    assertTrue(Files.exists(home.resolve("hook1")), "shutdown hooks did not run");
    assertFalse(Files.exists(home.resolve("returned1")), "relaunchThyself returned");

    Path secondRun = home.resolve("run2");
    long deadline = System.nanoTime() + TimeUnit.SECONDS.toNanos(CHILD_LIMIT_SECONDS);
    while (!Files.exists(secondRun) && System.nanoTime() < deadline) Thread.sleep(50);
    assertTrue(Files.exists(secondRun), "the application did not come back:\n" + Files.readString(log));

    List<String> run1 = Files.readAllLines(home.resolve("run1"));
    List<String> run2 = Files.readAllLines(secondRun);
    // Arguments and working directory are the same; the process is a new one.
    assertEquals(run1.subList(0, run1.size() - 1), run2.subList(0, run2.size() - 1));
    assertEquals(home.toString(), run2.get(run2.size() - 2));
    assertNotEquals(run1.get(run1.size() - 1), run2.get(run2.size() - 1));
    long secondPid = Long.parseLong(run2.get(run2.size() - 1));
    ProcessHandle.of(secondPid)
        .ifPresent(p -> p.onExit().orTimeout(CHILD_LIMIT_SECONDS, TimeUnit.SECONDS).join());
    assertEquals("2", Files.readString(state));
    assertNoJniComplaint(log);
  }

  // --- Child JVMs -------------------------------------------------------------------------------

  private static ProcessBuilder childJvm(List<String> arguments) throws URISyntaxException {
    List<String> command = new ArrayList<>();
    command.add(Path.of(System.getProperty("java.home"), "bin", "java").toString());
    command.add("-Xcheck:jni");
    command.add("-Djava.library.path=" + System.getProperty("java.library.path"));
    command.add("-cp");
    command.add(codeSource(IxaDialogs.class) + File.pathSeparator + codeSource(SystemProbe.class));
    command.add(SystemProbe.class.getName());
    command.addAll(arguments);
    return new ProcessBuilder(command);
  }

  private static String codeSource(Class<?> type) throws URISyntaxException {
    return Path.of(type.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
  }

  private static void assertNoJniComplaint(Path log) throws IOException {
    String text = Files.readString(log);
    assertFalse(
        text.contains("WARNING in native method") || text.contains("FATAL ERROR in native method"),
        text);
  }
}
