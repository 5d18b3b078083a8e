package ixa.careless;

import static ixa.careless.EveryNative.check;
import static ixa.careless.EveryNative.expectOne;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.careless.ThrowingHandlerCases.HandlerFailure;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.awt.EventQueue;
import java.awt.Toolkit;
import java.awt.event.MouseAdapter;
import java.awt.event.MouseEvent;
import java.net.URL;
import java.net.URLClassLoader;
import java.util.Arrays;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.concurrent.atomic.AtomicReference;
import javax.swing.JPanel;
import javax.swing.SwingUtilities;

/**
 * A caller that waits for the platform's main thread while the application's own code runs
 * there: Swing keeps serving its events behind a call from its own thread, a handler that waits
 * for its caller ends that call instead of hanging, an exception stays with the call it was thrown
 * in, and a JVM that exits is never held up by the library.
 */
final class WaitingCases {
  private WaitingCases() {}

  private static final String MENU = "[{\"HEADER\":\"Item\",\"IDENTITY\":\"ITEM\"}]";

  /** Handlers of a menu item and of a colour pick wait for Swing while Swing waits for them. */
  static void invokeAndWaitFromHandlers(Answerer user) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    expectOne(IxaDialogs.modifyMenuBar());
    AtomicInteger swingRan = new AtomicInteger();
    Runnable waitForSwing = () -> {
      try {
        SwingUtilities.invokeAndWait(swingRan::incrementAndGet);
      } catch (Exception e) {
        throw new AssertionError(e);
      }
    };
    Ixa.register("ITEM", waitForSwing);
    Ixa.register("COLORCHANGED", waitForSwing);
    int[] answers = new int[2];
    user.choose("Item");
    SwingUtilities.invokeAndWait(
        () -> answers[0] = IxaDialogs.showMacContextMenuWithJSON(5, 5, MENU));
    check(answers[0] == 1 && swingRan.get() == 1, "the menu's handler reached Swing");

    expectOne(IxaDialogs.showMacColorPopover(0, 0));
    user.expectInAlert(() -> {
      User.pickColor(0, 0, 1);
      return User.pressButton("OK");
    }, "pick a colour, then press OK");
    SwingUtilities.invokeAndWait(
        () -> answers[1] = IxaDialogs.showMacDialog("Colour", "", "OK", "Cancel"));
    check(answers[1] == 1 && swingRan.get() == 2, "the colour's handler reached Swing");
    Screen.close(window);
  }

  /**
   * Behind an alert shown from Swing's thread, Swing serves its events (repaints among them) but
   * the application's components take no input until the alert has gone.
   */
  static void swingRunsBehindAnAlert(Answerer user) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    AtomicInteger served = new AtomicInteger();
    AtomicInteger input = new AtomicInteger();
    JPanel panel = new JPanel();
    panel.addMouseListener(new MouseAdapter() {
      @Override public void mousePressed(MouseEvent e) { input.incrementAndGet(); }
    });
    EventQueue queue = Toolkit.getDefaultToolkit().getSystemEventQueue();
    // A press as AWT posts it from the server; keys go to a focus owner, which a component on no
    // screen never is, but the queue drops every input event alike.
    Runnable press = () ->
        queue.postEvent(new MouseEvent(panel, MouseEvent.MOUSE_PRESSED, 0, 0, 5, 5, 1, false));
    user.expectInAlert(() -> {
      press.run();
      int before = served.get();
      long deadline = System.nanoTime() + TimeUnit.SECONDS.toNanos(10);
      while (served.get() < before + 20 && System.nanoTime() < deadline) {
        SwingUtilities.invokeLater(served::incrementAndGet);
        sleep(5);
      }
      return served.get() >= before + 20 && User.pressButton("OK");
    }, "see Swing serve events behind the alert, then press OK");
    int[] answer = new int[1];
    SwingUtilities.invokeAndWait(() -> answer[0] = IxaDialogs.showMacDialog("Busy", "", "OK", "No"));
    check(answer[0] == 1, "the alert answered");
    check(input.get() == 0, "input reached a component behind the alert: " + input.get());
    press.run();
    SwingUtilities.invokeAndWait(() -> {});
    check(input.get() == 1, "input after the alert: " + input.get());
    Screen.close(window);
  }

  /**
   * A handler that takes a lock its caller holds: the caller's call fails after a while, from a
   * worker and from Swing's thread alike, and the handler goes on once the caller lets go.
   */
  static void handlerWaitsForTheCallersLock(Answerer user) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    expectOne(IxaDialogs.modifyMenuBar());
    Object lock = new Object();
    CountDownLatch handlersDone = new CountDownLatch(2);
    Ixa.register("ITEM", () -> {
      synchronized (lock) {
        handlersDone.countDown();
      }
    });
    AtomicReference<Throwable> thrown = new AtomicReference<>();
    Runnable callHoldingTheLock = () -> {
      synchronized (lock) {
        try {
          IxaDialogs.showMacContextMenuWithJSON(5, 5, MENU);
        } catch (Throwable t) {
          thrown.set(t);
        }
      }
    };
    Screen.clearLog();
    user.choose("Item");
    Thread worker = new Thread(callHoldingTheLock, "worker holding a lock");
    worker.start();
    worker.join(20_000);
    check(thrown.get() instanceof IllegalStateException, "the worker's call failed: " + thrown);
    check(thrown.get().getMessage().contains("\"ITEM\""), thrown.get().getMessage());

    thrown.set(null);
    user.choose("Item");
    SwingUtilities.invokeAndWait(callHoldingTheLock);
    check(thrown.get() instanceof IllegalStateException, "Swing's call failed: " + thrown);
    check(handlersDone.await(10, TimeUnit.SECONDS), "the handlers went on");
    String log = String.join("\n", Screen.log());
    for (String caller : new String[] {"worker holding a lock", "AWT-EventQueue-0"})
      check(log.contains("showMacContextMenuWithJSON was called on thread \"" + caller
                         + "\", and the handler of \"ITEM\" on \"Brix Main Thread\""), log);
    Screen.close(window);
  }

  /** A handler that waits for something slow holds up other threads' calls, and fails none. */
  static void slowHandlerRefusesNothing(Answerer user) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    expectOne(IxaDialogs.modifyMenuBar());
    CountDownLatch entered = new CountDownLatch(1);
    CountDownLatch release = new CountDownLatch(1);
    Ixa.register("ITEM", () -> {
      entered.countDown();
      try {
        release.await(20, TimeUnit.SECONDS);
      } catch (InterruptedException e) {
        throw new AssertionError(e);
      }
    });
    user.choose("Item");
    Thread chooser = new Thread(() -> IxaDialogs.showMacContextMenuWithJSON(5, 5, MENU), "chooser");
    chooser.start();
    check(entered.await(20, TimeUnit.SECONDS), "the handler ran");
    AtomicReference<Object> outcome = new AtomicReference<>();
    Thread other = new Thread(() -> {
      try {
        outcome.set(IxaDialogs.modifyWindows());
      } catch (Throwable t) {
        outcome.set(t);
      }
    }, "other");
    other.start();
    Thread.sleep(3000);
    release.countDown();
    other.join(20_000);
    chooser.join(20_000);
    check(Integer.valueOf(1).equals(outcome.get()), "the other call: " + outcome.get());
    Screen.close(window);
  }

  /**
   * A colour handler throws during this thread's alert while a worker's progress calls are served
   * inside that alert's loop: the alert's caller gets the exception, the worker none.
   */
  static void exceptionsStayWithTheirCall(Answerer user) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    expectOne(IxaDialogs.modifyMenuBar());
    expectOne(IxaDialogs.initProgressDialog());
    Ixa.register("COLORCHANGED", () -> { throw new HandlerFailure("COLORCHANGED"); });
    expectOne(IxaDialogs.showMacColorPopover(0, 0));
    CountDownLatch picked = new CountDownLatch(1);
    CountDownLatch workerDone = new CountDownLatch(1);
    AtomicReference<Throwable> workerFailure = new AtomicReference<>();
    Thread worker = new Thread(() -> {
      try {
        picked.await();
        for (int i = 0; i < 50; i++)
          expectOne(IxaDialogs.updateProgressDialog("Worker", "step " + i, i));
      } catch (Throwable t) {
        workerFailure.set(t);
      } finally {
        workerDone.countDown();
      }
    }, "worker");
    worker.start();
    user.expectInAlert(() -> {
      User.pickColor(0, 0, 1);
      picked.countDown();
      return await(workerDone) && User.pressButton("OK");
    }, "pick a colour, let the worker call, press OK");
    Throwable alertGot = null;
    try {
      IxaDialogs.showMacDialog("Alert", "", "OK", "Cancel");
    } catch (HandlerFailure expected) {
      alertGot = expected;
    }
    check(alertGot != null, "the alert's caller got the handler's exception");
    check(workerFailure.get() == null, "the worker got " + workerFailure.get());
    expectOne(IxaDialogs.closeProgressDialog());
    Screen.close(window);
  }

  /**
   * Handlers run with the context class loader of the thread whose call runs them, and between
   * calls with the loader of the library's own classes.
   */
  static void handlersGetTheCallersLoader(Answerer user) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    expectOne(IxaDialogs.modifyMenuBar());
    AtomicReference<ClassLoader> seen = new AtomicReference<>();
    Ixa.register("ITEM", () -> seen.set(Thread.currentThread().getContextClassLoader()));
    try (URLClassLoader plugin = new URLClassLoader(new URL[0], null)) {
      Thread worker = new Thread(() -> IxaDialogs.showMacContextMenuWithJSON(5, 5, MENU), "plugin");
      worker.setContextClassLoader(plugin);
      user.choose("Item");
      worker.start();
      worker.join(20_000);
      check(seen.get() == plugin, "the menu's handler ran with " + seen.get());
    }
    Ixa.register("NAMED", (String text) -> seen.set(Thread.currentThread().getContextClassLoader()));
    expectOne(IxaDialogs.showTextEntrySheetDialog("Name", "", "OK", "Cancel", "NAMED"));
    user.press("OK");
    EveryNative.runUntil(user);
    check(seen.get() == IxaDialogs.class.getClassLoader(), "the sheet's handler ran with " + seen);
    Screen.close(window);
  }

  /**
   * A handler ends the JVM on the platform's main thread, and a shutdown hook then calls the
   * library: the hook's calls return their neutral answers at once and the JVM exits.
   */
  static void shutdownHookAfterExitFromAHandler(Answerer user) throws Exception {
    Screen.openWindow("Main", 100, 100, 600, 400);
    expectOne(IxaDialogs.modifyMenuBar());
    Runtime.getRuntime().addShutdownHook(new Thread(() -> {
      int alert = IxaDialogs.showMacDialog("Bye", "", "OK", null);
      int restyled = IxaDialogs.modifyWindows();
      System.out.println("HOOK DONE " + alert + " " + restyled);
      System.out.flush();
    }, "hook"));
    Ixa.register("ITEM", () -> {
      System.out.println("CASE DONE shutdownHook");
      System.out.flush();
      System.exit(0);
    });
    user.choose("Item");
    IxaDialogs.showMacContextMenuWithJSON(5, 5, MENU);
    throw new AssertionError("the handler's System.exit returned " + Arrays.toString(Screen.log()));
  }

  private static boolean await(CountDownLatch latch) {
    try {
      return latch.await(20, TimeUnit.SECONDS);
    } catch (InterruptedException e) {
      return false;
    }
  }

  private static void sleep(long millis) {
    try {
      Thread.sleep(millis);
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
    }
  }
}
