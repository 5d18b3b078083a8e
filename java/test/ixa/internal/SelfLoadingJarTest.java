package ixa.internal;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.IxaDialogs;
import ixa.testkit.Screen;
import java.io.File;
import java.io.IOException;
import java.net.URISyntaxException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.attribute.FileTime;
import java.nio.file.attribute.PosixFilePermissions;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Comparator;
import java.util.List;
import java.util.Set;
import java.util.TreeSet;
import java.util.concurrent.TimeUnit;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/**
 * The jars load their native libraries themselves: child JVMs with only the jars on the class
 * path, no java.library.path and an empty cache show and answer an alert with the libraries
 * extracted to the user's cache.
 */
class SelfLoadingJarTest {
  private static final Set<String> LIBRARIES =
      Set.of(
          "libbrixfoundation.so",
          "libbrixdispatch.so",
          "libbrixdisplay.so",
          "libbrixappkit.so",
          "libbrixdialogs.so",
          "libbrixtestkit.so");

  private Path scratch;
  private Path cache;

  @BeforeEach
  void makeScratch() throws IOException {
    scratch = Files.createTempDirectory("brix-jar-");
    cache = scratch.resolve("cache");
  }

  @AfterEach
  void removeScratch() throws IOException {
    try (Stream<Path> paths = Files.walk(scratch)) {
      for (Path path : paths.sorted(Comparator.reverseOrder()).toList()) {
        path.toFile().setWritable(true);
        Files.deleteIfExists(path);
      }
    }
  }

  private ProcessBuilder child(String... arguments) throws IOException {
    List<String> command = new ArrayList<>();
    command.add(Path.of(System.getProperty("java.home"), "bin", "java").toString());
    command.add("-Xcheck:jni");
    command.add("-cp");
    command.add(
        String.join(
            File.pathSeparator,
            codeSource(IxaDialogs.class),
            codeSource(Screen.class),
            codeSource(JarAlert.class)));
    command.add(JarAlert.class.getName());
    command.addAll(List.of(arguments));
    ProcessBuilder builder = new ProcessBuilder(command).redirectErrorStream(true);
    builder.environment().remove("LD_LIBRARY_PATH");
    builder.environment().put("XDG_CACHE_HOME", cache.toString());
    builder.environment().put("HOME", scratch.resolve("home").toString());
    builder.environment().put("XDG_CONFIG_HOME", scratch.resolve("config").toString());
    return builder;
  }

  /** Runs the children at once; returns each one's output after checking its exit status. */
  private List<String> runAtOnce(int count, int expectedStatus, String... arguments)
      throws Exception {
    List<Process> children = new ArrayList<>();
    List<Path> logs = new ArrayList<>();
    for (int i = 0; i < count; i++) {
      Path log = scratch.resolve("child-" + i + ".txt");
      logs.add(log);
      children.add(child(arguments).redirectOutput(log.toFile()).start());
    }
    List<String> outputs = new ArrayList<>();
    for (int i = 0; i < count; i++) {
      Process process = children.get(i);
      boolean ended = process.waitFor(60, TimeUnit.SECONDS);
      if (!ended) process.destroyForcibly().waitFor();
      String output = Files.readString(logs.get(i), StandardCharsets.UTF_8);
      assertTrue(ended, "the child hung:\n" + output);
      assertEquals(expectedStatus, process.exitValue(), output);
      assertFalse(output.contains("WARNING in native method"), output);
      outputs.add(output);
    }
    return outputs;
  }

  /** The one folder that holds libbrixdialogs.so; no partial or stale folder is left over. */
  private Path onlyFolder() throws IOException {
    Path root = cache.resolve("ixa").resolve("native");
    try (Stream<Path> folders = Files.list(root)) {
      List<Path> all = folders.toList();
      for (Path folder : all)
        assertFalse(folder.getFileName().toString().startsWith("."), "left over: " + folder);
      List<Path> dialogs =
          all.stream().filter(folder -> names(folder).contains("libbrixdialogs.so")).toList();
      assertEquals(1, dialogs.size(), all.toString());
      return dialogs.get(0);
    }
  }

  private static Set<String> names(Path folder) {
    try (Stream<Path> files = Files.list(folder)) {
      return files.map(file -> file.getFileName().toString()).collect(Collectors.toSet());
    } catch (IOException e) {
      throw new IllegalStateException(e);
    }
  }

  private Set<String> allExtracted() throws IOException {
    Set<String> all = new TreeSet<>();
    try (Stream<Path> folders = Files.list(cache.resolve("ixa").resolve("native"))) {
      for (Path folder : folders.toList()) all.addAll(names(folder));
    // Each folder records what it holds beside the libraries.
    assertTrue(all.remove(NativeLibraries.CHECKSUMS), all.toString());
    }
    return all;
  }

  @Test
  void theCacheKeepsOnlyTheLastFewVersions() throws Exception {
    Path root = Files.createDirectories(cache.resolve("ixa").resolve("native"));
    // Four older versions of the set, last used one after the other, and a folder that the
    // loader of an older version named by its hash alone.
    for (int i = 0; i < 4; i++) {
      Path old = Files.createDirectories(root.resolve("brixdialogs-%032x".formatted(i)));
      Files.setLastModifiedTime(old, FileTime.fromMillis(1_000_000_000L * (i + 1)));
    }
    Files.createDirectories(root.resolve("0123456789abcdef0123456789abcdef"));
    runAtOnce(1, 0);
    Set<String> left;
    try (Stream<Path> folders = Files.list(root)) {
      left = folders.map(folder -> folder.getFileName().toString()).collect(Collectors.toSet());
    }
    assertEquals(
        3, left.stream().filter(name -> name.startsWith("brixdialogs-")).count(), left.toString());
    assertTrue(left.contains("brixdialogs-%032x".formatted(3)), left.toString());
    assertTrue(left.contains("brixdialogs-%032x".formatted(2)), left.toString());
    assertFalse(left.contains("0123456789abcdef0123456789abcdef"), left.toString());
  }

  @Test
  void aJvmWithOnlyTheJarsShowsAndAnswersAnAlert() throws Exception {
    // A cache folder that others could write is made the user's own before it is used.
    Path root = cache.resolve("ixa").resolve("native");
    Files.createDirectories(root);
    Files.setPosixFilePermissions(root, PosixFilePermissions.fromString("rwxrwxrwx"));

    String output = runAtOnce(1, 0).get(0);
    assertTrue(output.contains("answered 0\n"), "the second button was pressed:\n" + output);
    assertTrue(output.contains("pressed true"), output);
    assertEquals(new TreeSet<>(LIBRARIES), allExtracted());
    List<String> mapped =
        output.lines().filter(line -> line.startsWith("mapped ")).distinct().toList();
    assertFalse(mapped.isEmpty(), output);
    for (String line : mapped)
      assertTrue(line.startsWith("mapped " + root), "loaded from the cache: " + line);
    assertEquals("rwx------", PosixFilePermissions.toString(Files.getPosixFilePermissions(root)));
    Path folder = onlyFolder();
    assertEquals(
        "rwx------", PosixFilePermissions.toString(Files.getPosixFilePermissions(folder)));
  }

  @Test
  void jvmsStartingTogetherShareOneCompleteFolder() throws Exception {
    for (String output : runAtOnce(3, 0)) assertTrue(output.contains("answered 0\n"), output);
    onlyFolder();
    assertEquals(new TreeSet<>(LIBRARIES), allExtracted());
  }

  @Test
  void aDamagedCopyInTheCacheIsWrittenAnewAndLeftoversAreSwept() throws Exception {
    // What a JVM killed while extracting leaves: swept once it is old, kept while it may still
    // be another JVM's work in progress.
    Path root = Files.createDirectories(cache.resolve("ixa").resolve("native"));
    Path old = Files.createDirectories(root.resolve(".partial-0123-1").resolve("inside"));
    Files.setLastModifiedTime(
        old.getParent(), FileTime.fromMillis(System.currentTimeMillis() - 3_600_000));
    Path young = Files.createDirectories(root.resolve(".partial-0123-2"));
    runAtOnce(1, 0, "load");
    assertFalse(Files.exists(old.getParent()));
    assertTrue(Files.exists(young));
    Files.delete(young);

    Path damaged = onlyFolder().resolve("libbrixappkit.so");
    byte[] original = Files.readAllBytes(damaged);
    damaged.toFile().setWritable(true);
    // The same size with other bytes: only the content tells.
    byte[] changed = original.clone();
    changed[changed.length / 2] ^= 0x55;
    Files.write(damaged, changed);
    String output = runAtOnce(1, 0, "load").get(0);
    assertTrue(output.contains("loaded"), output);
    assertArrayEquals(original, Files.readAllBytes(onlyFolder().resolve("libbrixappkit.so")));

    // A copy cut short is written anew as well.
    Path shortened = onlyFolder().resolve("libbrixdialogs.so");
    byte[] whole = Files.readAllBytes(shortened);
    shortened.toFile().setWritable(true);
    Files.write(shortened, Arrays.copyOf(whole, 100));
    assertTrue(runAtOnce(1, 0, "load").get(0).contains("loaded"));
    assertArrayEquals(whole, Files.readAllBytes(onlyFolder().resolve("libbrixdialogs.so")));
  }

  @Test
  void whenNeitherWayWorksTheErrorSaysWhatWasTried() throws Exception {
    // The cache cannot be made: its parent is a plain file.
    Files.writeString(scratch.resolve("file"), "not a folder");
    cache = scratch.resolve("file").resolve("cache");
    String output = runAtOnce(1, 3, "load").get(0);
    assertTrue(output.contains("System.loadLibrary(\"brixdialogs\")"), output);
    assertTrue(output.contains("java.library.path="), output);
    assertTrue(output.contains("the copy in the jar"), output);
    assertTrue(output.contains(cache.toString()), output);
  }

  private static String codeSource(Class<?> type) {
    try {
      return Path.of(type.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    } catch (URISyntaxException e) {
      throw new IllegalStateException(e);
    }
  }
}
