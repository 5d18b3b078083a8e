package ixa;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.List;

/**
 * A small application that SystemTest starts in a child JVM, for what cannot happen inside the
 * test's own JVM: quitting and coming back, or another environment.
 *
 * <p>{@code relaunch <state file> <extra arguments...>}: counts its runs in the state file, records
 * each run (arguments, working directory, pid) in "run<N>" beside it, and on the first run asks
 * the library to relaunch it. {@code info <output file> <key...>}: writes the answer for each key,
 * one per line.
 */
public final class SystemProbe {
  private SystemProbe() {}

  public static void main(String[] args) throws IOException {
    switch (args[0]) {
      case "relaunch" -> relaunch(args);
      case "info" -> info(args);
      default -> throw new IllegalArgumentException(args[0]);
    }
  }

  private static void relaunch(String[] args) throws IOException {
    Path state = Path.of(args[1]);
    Path directory = state.toAbsolutePath().getParent();
    int run = Files.exists(state) ? Integer.parseInt(Files.readString(state).trim()) + 1 : 1;
    Files.writeString(state, Integer.toString(run));
    List<String> record = new ArrayList<>(List.of(args));
    record.add(Path.of("").toAbsolutePath().toString());
    record.add(Long.toString(ProcessHandle.current().pid()));
    writeAtomically(directory.resolve("run" + run), String.join("\n", record));
    if (run == 1) {
      Runtime.getRuntime()
          .addShutdownHook(
              new Thread(
                  () -> {
                    try {
                      writeAtomically(directory.resolve("hook1"), "ran");
                    } catch (IOException e) {
                      throw new RuntimeException(e);
                    }
                  }));
      int result = IxaDialogs.relaunchThyself();
      // Reached only when the termination was refused.
      writeAtomically(directory.resolve("returned1"), Integer.toString(result));
    }
  }

  private static void info(String[] args) throws IOException {
    List<String> answers = new ArrayList<>();
    for (int i = 2; i < args.length; i++) {
      answers.add(String.valueOf(IxaDialogs.getMiscMacInfo(args[i])));
    }
    writeAtomically(Path.of(args[1]), String.join("\n", answers));
  }

  // Readers poll for the file, so it appears whole or not at all.
  private static void writeAtomically(Path file, String text) throws IOException {
    Path partial = file.resolveSibling(file.getFileName() + ".partial");
    Files.writeString(partial, text, StandardCharsets.UTF_8);
    Files.move(partial, file, StandardCopyOption.ATOMIC_MOVE);
  }
}
