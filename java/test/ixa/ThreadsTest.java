package ixa;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.Arrays;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicBoolean;
import java.util.concurrent.atomic.AtomicReference;
import javax.swing.SwingUtilities;
import org.junit.jupiter.api.Test;

/**
 * The platform's own main thread: calls from Swing's event thread and from workers are carried
 * out there, handlers run there on a named daemon thread, and the one deadlock an application can
 * build (a handler waiting for Swing while Swing waits in the library) ends with an exception
 * instead of hanging.
 */
class ThreadsTest {
  @Test
  void callsFromSwingsThreadRunOnTheNamedDaemonMainThreadAndHandlersRunThere() throws Exception {
    int window = Screen.openWindow("Threads", 100, 100, 500, 300);
    AtomicReference<Thread> handlerThread = new AtomicReference<>();
    Ixa.register("WHERE", (String text) -> handlerThread.set(Thread.currentThread()));
    CompletableFuture<Integer> answer = new CompletableFuture<>();
    SwingUtilities.invokeLater(() -> {
      IxaDialogs.renderMacButton(0, 0, 0);
      answer.complete(IxaDialogs.showMacDialog("From Swing", "", "OK", "Cancel"));
    });
    assertTrue(User.pressButton("Cancel"));
    assertEquals(0, answer.get(10, TimeUnit.SECONDS));

    assertEquals(1, IxaDialogs.showTextEntrySheetDialog("Name", "", "Go", "Stop", "WHERE"));
    assertTrue(User.pressButton("Go"));
    Screen.run(0);
    Thread thread = handlerThread.get();
    assertNotNull(thread);
    assertEquals("Brix Main Thread", thread.getName());
    assertTrue(thread.isDaemon());
    Ixa.unregister("WHERE");
    Screen.close(window);
  }

  @Test
  void aHandlerWaitingForSwingWhileSwingCallsTheLibraryEndsInAnException() throws Exception {
    int window = Screen.openWindow("Deadlock", 100, 100, 500, 300);
    IxaDialogs.renderMacButton(0, 0, 0);
    CountDownLatch entered = new CountDownLatch(1);
    CountDownLatch swingInside = new CountDownLatch(1);
    CountDownLatch handlerDone = new CountDownLatch(1);
    AtomicBoolean swingRan = new AtomicBoolean();
    Ixa.register("WAITS_FOR_SWING", (String text) -> {
      entered.countDown();
      try {
        // Swing's thread is in the library by now, so this waits behind its call.
        swingInside.await();
        SwingUtilities.invokeAndWait(() -> swingRan.set(true));
      } catch (Exception e) {
        throw new AssertionError(e);
      }
      handlerDone.countDown();
    });
    assertEquals(1, IxaDialogs.showTextEntrySheetDialog("Rename", "", "Go", "Stop",
                                                         "WAITS_FOR_SWING"));
    Thread presser = new Thread(() -> User.pressButton("Go"), "presser");
    presser.start();
    assertTrue(entered.await(10, TimeUnit.SECONDS));

    Screen.clearLog();
    AtomicReference<IllegalStateException> thrown = new AtomicReference<>();
    SwingUtilities.invokeAndWait(() -> {
      swingInside.countDown();
      try {
        IxaDialogs.modifyWindows();
      } catch (IllegalStateException expected) {
        thrown.set(expected);
      }
    });
    assertNotNull(thrown.get(), "Swing's call was not ended");
    assertTrue(thrown.get().getMessage().contains("WAITS_FOR_SWING"), thrown.get().getMessage());
    assertTrue(handlerDone.await(10, TimeUnit.SECONDS));
    assertTrue(swingRan.get());
    presser.join(15_000);
    String[] log = Screen.log();
    assertTrue(Arrays.stream(log).anyMatch(line -> line.contains("modifyWindows was called on "
                                                                 + "thread \"AWT-EventQueue-0\"")),
               Arrays.toString(log));
    Ixa.unregister("WAITS_FOR_SWING");
    Screen.close(window);
  }
}
