package ixa.internal;

import java.awt.EventQueue;
import java.awt.SecondaryLoop;
import java.awt.Toolkit;
import java.lang.management.ManagementFactory;
import java.lang.management.ThreadInfo;
import java.util.Timer;
import java.util.TimerTask;
import java.util.concurrent.atomic.AtomicBoolean;

/**
 * One native call's wait for the platform's main thread, made by the native library on the
 * calling thread; not for applications. It carries what the main thread needs of the caller (its
 * context class loader), keeps Swing's events flowing while the event dispatch thread waits, and
 * tells whether the main thread is blocked on a lock the caller holds, which would never end.
 */
public final class CallWait {
  /** How often a waiting event dispatch thread looks for a main thread blocked on its locks. */
  private static final long WATCH_MILLIS = 250;
  /** How many looks in a row must see the main thread blocked before the wait is given up. */
  private static final int WATCH_STRIKES = 4;
  /** Never started: added and removed again only to learn whether the JVM is exiting. */
  private static final Thread EXIT_PROBE = new Thread(() -> {}, "ixa exit probe");
  private static volatile Timer watchTimer;
  private static volatile Thread mainThread;

  private final Thread caller = Thread.currentThread();
  private final ClassLoader loader;
  private final SecondaryLoop loop;
  private final boolean appModal;
  private final AtomicBoolean ended = new AtomicBoolean();
  private volatile boolean finished;
  private volatile boolean abandoned;

  private CallWait(boolean appModal) {
    this.appModal = appModal;
    this.loader = caller.getContextClassLoader();
    this.loop = onEventDispatchThread()
        ? Toolkit.getDefaultToolkit().getSystemEventQueue().createSecondaryLoop()
        : null;
    if (appModal) ModalInputBlock.begin();
  }

  /**
   * Begins the calling thread's wait for a call carried out on the main thread.
   *
   * @param appModal whether the call shows an application-modal alert or a context menu, during
   *     which the application's AWT windows take no input
   * @return the wait, or null when the JVM is exiting and the call must not wait at all
   */
  public static CallWait begin(boolean appModal) {
    return jvmExiting() ? null : new CallWait(appModal);
  }

  /**
   * Names the platform's main thread, once it carries out calls, for {@link #mainWaitsForCaller}.
   *
   * @param thread the platform's main thread
   */
  public static void mainThreadIs(Thread thread) {
    mainThread = thread;
  }

  /**
   * True once the JVM has begun to exit (shutdown hooks run): the platform's main thread may be
   * the one inside {@code System.exit}, waiting for the hooks.
   *
   * @return whether the JVM is exiting
   */
  public static synchronized boolean jvmExiting() {
    try {
      Runtime.getRuntime().addShutdownHook(EXIT_PROBE);
      Runtime.getRuntime().removeShutdownHook(EXIT_PROBE);
      return false;
    } catch (IllegalStateException exiting) {
      return true;
    }
  }

  /**
   * True when the caller is Swing's event dispatch thread, which waits by serving its events.
   *
   * @return whether {@link #await} is the way to wait
   */
  public boolean servesEvents() {
    return loop != null;
  }

  /**
   * On the event dispatch thread: serves Swing's events, as a modal dialog does, until the main
   * thread has finished the call, or until the main thread is found blocked on a lock this thread
   * holds.
   *
   * @return true when the call finished, false when the wait was given up
   */
  public boolean await() {
    if (!finished) {
      TimerTask watch = new TimerTask() {
        private int strikes;

        @Override
        public void run() {
          strikes = mainWaitsForCaller() ? strikes + 1 : 0;
          if (strikes >= WATCH_STRIKES && !finished) {
            abandoned = true;
            cancel();
            EventQueue.invokeLater(loop::exit);
          }
        }
      };
      watchTimer().schedule(watch, WATCH_MILLIS, WATCH_MILLIS);
      // An exit asked for before the loop was entered is an event in the queue, which the loop
      // serves as soon as it runs.
      loop.enter();
      watch.cancel();
    }
    return !abandoned || finished;
  }

  /**
   * Called when the call has finished, or will never run: ends the event dispatch thread's loop
   * and the application-modal block of input. Only the first call counts.
   */
  public void finish() {
    if (ended.getAndSet(true)) return;
    if (appModal) ModalInputBlock.end();
    finished = true;
    if (loop != null) EventQueue.invokeLater(loop::exit);
  }

  /**
   * True when the main thread is blocked on a monitor or lock that the calling thread holds: the
   * handler it runs waits for the caller, which waits for it.
   *
   * @return whether the two threads wait for each other
   */
  public boolean mainWaitsForCaller() {
    Thread main = mainThread;
    if (main == null) return false;
    try {
      ThreadInfo info = ManagementFactory.getThreadMXBean().getThreadInfo(main.getId());
      return info != null && info.getLockOwnerId() == caller.getId();
    } catch (LinkageError | RuntimeException noManagement) {
      return false; // a runtime image without java.management cannot tell
    }
  }

  /**
   * Gives the main thread the caller's context class loader for the call.
   *
   * @return the main thread's loader before, for {@link #restoreLoader}
   */
  public ClassLoader adoptLoader() {
    Thread current = Thread.currentThread();
    ClassLoader before = current.getContextClassLoader();
    current.setContextClassLoader(loader);
    return before;
  }

  /**
   * Sets the current thread's context class loader.
   *
   * @param loader the loader, null for the bootstrap loader
   */
  public static void restoreLoader(ClassLoader loader) {
    Thread.currentThread().setContextClassLoader(loader);
  }

  private static boolean onEventDispatchThread() {
    // The name first: asking AWT would start its toolkit in a program that never used it.
    return Thread.currentThread().getName().startsWith("AWT-EventQueue")
        && EventQueue.isDispatchThread();
  }

  private static Timer watchTimer() {
    Timer timer = watchTimer;
    if (timer == null) {
      synchronized (CallWait.class) {
        if (watchTimer == null) watchTimer = new Timer("ixa call watch", true);
        timer = watchTimer;
      }
    }
    return timer;
  }
}
