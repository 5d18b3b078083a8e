package ixa;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicReference;
import javax.swing.SwingUtilities;
import org.junit.jupiter.api.Test;

/**
 * The platform's own main thread: calls from Swing's event thread and from workers are carried
 * out there, and handlers run there on a named daemon thread. (What a caller's wait does while
 * handlers run is in ixa.careless.WaitingCases, each case in a JVM of its own.)
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
}
