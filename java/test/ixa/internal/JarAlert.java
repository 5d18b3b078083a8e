package ixa.internal;

import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;

/**
 * A child JVM's program for the self-loading jar: shows an alert that a second thread answers,
 * then prints the answer and every file of ours that the process mapped. With "load", it only
 * loads the library and prints the error it gets.
 */
public final class JarAlert {
  private JarAlert() {}

  public static void main(String[] arguments) throws Exception {
    if (arguments.length > 0 && arguments[0].equals("load")) {
      try {
        IxaDialogs.getMiscMacInfo("HIGHLIGHTCOLOUR");
        System.out.println("loaded");
      } catch (UnsatisfiedLinkError e) {
        System.out.println("error: " + e.getMessage());
        System.exit(3);
      }
      return;
    }
    Screen.run(0);
    Thread user =
        new Thread(() -> System.out.println("pressed " + User.pressButton("Later")), "user");
    user.start();
    int answer = IxaDialogs.showMacDialog("Loaded from the jar?", "", "Now", "Later");
    user.join(20_000);
    System.out.println("answered " + answer);
    printMappedLibraries();
    System.exit(0);
  }

  private static void printMappedLibraries() throws IOException {
    for (String line : Files.readAllLines(Path.of("/proc/self/maps"))) {
      int slash = line.indexOf('/');
      if (slash >= 0 && line.contains("libbrix")) System.out.println("mapped " + line.substring(slash));
    }
  }
}
