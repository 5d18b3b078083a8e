package ixa;

import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * An application without a bundle (NoBundleIconTest runs it in a JVM of its own): its alert
 * shows an icon all the same. Prints "ICON " and the name of the image the alert shows.
 */
public final class NoBundleIconApplication {
  private NoBundleIconApplication() {}

  public static void main(String[] args) throws Exception {
    Screen.run(0);
    CompletableFuture<String> shown = CompletableFuture.supplyAsync(() -> {
      String screen = "";
      // Looked at every 20 ms, leaving the main thread to the alert meanwhile.
      for (int i = 0; i < 2000 && !screen.contains("\"alert\":{"); i++) {
        screen = Screen.describe();
        if (!screen.contains("\"alert\":{")) pause();
      }
      Matcher image = Pattern.compile("\"image\":(\"[^\"]*\"|null)").matcher(screen);
      String found = image.find() ? image.group(1) : "none";
      User.pressButton("OK");
      return found;
    });
    IxaDialogs.showMacDialog("No bundle", "", "OK", null);
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
