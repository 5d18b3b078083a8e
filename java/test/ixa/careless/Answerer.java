package ixa.careless;

import ixa.testing.Described;
import ixa.testkit.User;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.function.BooleanSupplier;

/**
 * The person in front of the screen, on a thread of their own: answers each alert, menu and panel
 * that the main thread is about to show. The main thread hands over the answer just before the
 * call that waits for it, so an answer can never reach an earlier dialog that is still closing;
 * the testkit serves it inside that call's own loop.
 *
 * <p>An answer that cannot be given (its button never appears) ends the process with status 3:
 * the main thread would otherwise wait forever for a dialog nobody can close.
 */
final class Answerer implements AutoCloseable {
  private static final Runnable STOP = () -> {};

  private final BlockingQueue<Runnable> answers = new LinkedBlockingQueue<>();
  private final AtomicInteger outstanding = new AtomicInteger();
  private final Thread thread = new Thread(this::serve, "answerer");

  Answerer() {
    thread.setDaemon(true);
    thread.start();
  }

  /** The next dialog will be answered by pressing this button. */
  void press(String title) {
    expect(() -> User.pressButton(title), "press \"" + abbreviated(title) + "\"");
  }

  /**
   * The next alert, one that takes long to lay out, will be answered by pressing this button
   * once it is on screen (waiting up to a minute for it).
   */
  void pressOnceShown(String title) {
    expect(() -> Described.awaitAlert(60) && User.pressButton(title),
           "press \"" + abbreviated(title) + "\" once shown");
  }

  /** The next context menu will be answered by choosing the item the titles name. */
  void choose(String... titlePath) {
    expect(() -> Described.awaitOpenContextMenu() && User.chooseMenuItem(titlePath),
           "choose \"" + abbreviated(titlePath[0]) + "\"");
  }

  /** The next context menu will be dismissed without a choice. */
  void dismissMenu() {
    expect(
        () -> {
          if (!Described.awaitOpenContextMenu()) return false;
          User.dismissMenu();
          return true;
        },
        "dismiss the menu");
  }

  /**
   * The next alert will be answered by this action, taken once the alert is on screen; false
   * means it failed. Input meant for the alert must not reach the windows before it opens.
   */
  void expectInAlert(BooleanSupplier answer, String what) {
    expect(() -> Described.awaitAlert() && answer.getAsBoolean(), what);
  }

  /** Any other action of the user, for example a colour pick; false means it failed. */
  void expect(BooleanSupplier answer, String what) {
    outstanding.incrementAndGet();
    answers.add(
        () -> {
          boolean given;
          System.out.println("USER: " + what); // the trail a hanging case leaves
          try {
            given = answer.getAsBoolean();
          } catch (RuntimeException e) {
            e.printStackTrace();
            given = false;
          }
          if (!given) {
            System.out.println("ANSWER FAILED: " + what);
            System.out.flush();
            Runtime.getRuntime().halt(3);
          }
          outstanding.decrementAndGet();
        });
  }

  /** Whether every answer handed over has been given. */
  boolean idle() {
    return outstanding.get() == 0;
  }

  /** Waits until every answer handed over has been given. */
  void awaitIdle() throws InterruptedException {
    long deadline = System.nanoTime() + TimeUnit.SECONDS.toNanos(30);
    while (outstanding.get() > 0) {
      if (System.nanoTime() > deadline) throw new IllegalStateException("answers left untaken");
      Thread.sleep(1);
    }
  }

  private void serve() {
    try {
      while (true) {
        Runnable answer = answers.take();
        if (answer == STOP) return;
        answer.run();
      }
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
    }
  }

  @Override
  public void close() {
    answers.add(STOP);
    try {
      thread.join(TimeUnit.SECONDS.toMillis(30));
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
    }
  }

  static String abbreviated(String text) {
    if (text == null) return "null";
    return text.length() <= 40 ? text : text.substring(0, 40) + "... (" + text.length() + ")";
  }
}
