package ixa.live.support;

import java.time.Duration;
import java.util.ArrayList;
import java.util.List;

/**
 * Real keyboard and mouse input on the X server, sent from outside the process by xdotool through
 * the server's XTEST extension, as a person at the keyboard would give it. Every method returns
 * once xdotool has sent the input; whether the application has handled it is for the caller to
 * wait for.
 */
public final class RealInput {
  private RealInput() {}

  /**
   * Presses and releases keys one after the other, by their X names: "Return", "Escape",
   * "ctrl+comma", "Down".
   */
  public static void key(String... keys) {
    List<String> command = new ArrayList<>(List.of("xdotool", "key", "--delay", "20"));
    command.addAll(List.of(keys));
    Commands.run(command);
  }

  /** Types the text on the keyboard, one key stroke per character. */
  public static void type(String text) {
    Commands.run(List.of("xdotool", "type", "--delay", "20", text));
  }

  /**
   * Moves the pointer to a point of the screen, in X coordinates (origin at the top left). (Not
   * with xdotool's --sync: that waits for a motion, and there is none when the pointer is there
   * already.) The server handles the motion before any later input.
   */
  public static void move(int x, int y) {
    Commands.run(List.of("xdotool", "mousemove", Integer.toString(x), Integer.toString(y)));
  }

  /** Moves the pointer to a point of the screen and clicks the first button there. */
  public static void click(int x, int y) {
    Commands.run(
        List.of(
            "xdotool", "mousemove", Integer.toString(x), Integer.toString(y), "click", "1"));
  }

  /**
   * Presses the first button at one point of the screen, moves the pointer to another in a few
   * steps and releases the button there, as a person dragging does.
   */
  public static void drag(int fromX, int fromY, int toX, int toY) {
    List<String> command = new ArrayList<>(List.of("xdotool", "mousemove",
        Integer.toString(fromX), Integer.toString(fromY), "mousedown", "1"));
    for (int step = 1; step <= 4; step++) {
      command.addAll(List.of("sleep", "0.02", "mousemove",
          Integer.toString(fromX + (toX - fromX) * step / 4),
          Integer.toString(fromY + (toY - fromY) * step / 4)));
    }
    command.addAll(List.of("sleep", "0.05", "mouseup", "1"));
    Commands.run(command);
  }

  /** Waits until a top-level window with exactly that title is mapped, and returns it. */
  public static XWindows.Window waitUntilMapped(String title) {
    return XWindows.waitFor(
        "a mapped window titled \"" + title + "\"",
        window -> window.title().equals(title),
        Duration.ofSeconds(10));
  }
}
