package ixa.internal;

import java.awt.AWTEvent;
import java.awt.EventQueue;
import java.awt.Toolkit;
import java.awt.event.InputEvent;
import java.util.concurrent.atomic.AtomicInteger;

/**
 * Keeps the application's own AWT windows from taking clicks and keys while an application-modal
 * alert or a context menu of the native library is up, as on macOS, while they keep painting: an
 * event queue pushed onto AWT's once, at the first such call in a program that runs AWT, drops
 * input events while any such call is running and passes everything else on.
 */
final class ModalInputBlock extends EventQueue {
  private static final AtomicInteger MODAL_CALLS = new AtomicInteger();
  private static boolean installed;

  private ModalInputBlock() {}

  /** A modal call begins; installs the queue when AWT runs. */
  static void begin() {
    MODAL_CALLS.incrementAndGet();
    synchronized (ModalInputBlock.class) {
      if (installed || !awtRuns()) return;
      installed = true;
    }
    Toolkit.getDefaultToolkit().getSystemEventQueue().push(new ModalInputBlock());
  }

  /** A modal call has ended. */
  static void end() {
    MODAL_CALLS.decrementAndGet();
  }

  /** True while a modal call runs, for tests. */
  static boolean blocking() {
    return MODAL_CALLS.get() > 0;
  }

  @Override
  protected void dispatchEvent(AWTEvent event) {
    if (event instanceof InputEvent && MODAL_CALLS.get() > 0) return;
    super.dispatchEvent(event);
  }

  /** Whether AWT's event dispatch thread exists: a program that never used AWT is left alone. */
  private static boolean awtRuns() {
    ThreadGroup root = Thread.currentThread().getThreadGroup();
    while (root.getParent() != null) root = root.getParent();
    Thread[] threads = new Thread[root.activeCount() + 8];
    int count = root.enumerate(threads, true);
    for (int i = 0; i < count; i++)
      if (threads[i].getName().startsWith("AWT-EventQueue")) return true;
    return false;
  }
}
