package ixa.testkit;

import ixa.Ixa;
import ixa.IxaDialogs;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

/**
 * Keeps the platform's main thread inside an application handler until released, as a handler
 * that waits for something does: a text-entry sheet on the front window whose accepting
 * button's handler waits, pressed on a thread of its own.
 */
final class StuckHandler {
  private static final String NAME = "STUCK";
  private final CountDownLatch release = new CountDownLatch(1);
  private final Thread presser;

  private StuckHandler() throws InterruptedException {
    CountDownLatch entered = new CountDownLatch(1);
    IxaDialogs.renderMacButton(0, 0, 0); // upcalls need the remembered environment
    Ixa.register(NAME, (String text) -> {
      entered.countDown();
      try {
        release.await();
      } catch (InterruptedException interrupted) {
        Thread.currentThread().interrupt();
      }
    });
    IxaDialogs.showTextEntrySheetDialog("Stuck", "", "Go", "Stop", NAME);
    presser = new Thread(() -> {
      try {
        User.pressButton("Go");
      } catch (RuntimeException timedOut) {
        // the click is taken only when the handler returns
      }
    }, "stuck-handler-presser");
    presser.start();
    if (!entered.await(10, TimeUnit.SECONDS))
      throw new IllegalStateException("the handler did not start");
  }

  static StuckHandler start() throws InterruptedException { return new StuckHandler(); }

  /** Lets the handler return, and waits for the click to have been taken. */
  void release() {
    release.countDown();
    try {
      presser.join(TimeUnit.SECONDS.toMillis(15));
    } catch (InterruptedException interrupted) {
      Thread.currentThread().interrupt();
    }
    Ixa.unregister(NAME);
  }
}
