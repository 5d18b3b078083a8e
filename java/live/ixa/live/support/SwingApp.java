package ixa.live.support;

import java.awt.BorderLayout;
import java.awt.Dimension;
import java.awt.Point;
import java.lang.reflect.InvocationTargetException;
import java.time.Duration;
import java.util.concurrent.Callable;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.atomic.AtomicReference;
import javax.swing.JButton;
import javax.swing.JFrame;
import javax.swing.JTextField;
import javax.swing.SwingUtilities;
import javax.swing.WindowConstants;
import org.junit.jupiter.api.extension.AfterAllCallback;
import org.junit.jupiter.api.extension.BeforeAllCallback;
import org.junit.jupiter.api.extension.ExtensionContext;

/**
 * A small Swing application as the live tests need one: a real JFrame titled "Doc" with a JButton
 * and a JTextField, on the X server, and the means to call the library from Swing's event thread
 * as such an application does, waiting for the answer ({@link #onEdt}) or not ({@link #later}).
 *
 * <p>Made with {@link #show}, it is on the server (mapped) when that returns; {@link #close}
 * disposes of its frame. Several may be open at once, with other titles.
 */
public final class SwingApp implements AutoCloseable {
  /** The title of the frame {@link #show()} makes. */
  public static final String TITLE = "Doc";

  private final JFrame frame;
  private final JButton button;
  private final JTextField field;

  private SwingApp(JFrame frame, JButton button, JTextField field) {
    this.frame = frame;
    this.button = button;
    this.field = field;
  }

  /**
   * A JUnit extension that shows the frame "Doc" before a test class's tests and closes it after
   * them: {@code @RegisterExtension static final SwingApp.PerClass DOC = new SwingApp.PerClass();}
   */
  public static final class PerClass implements BeforeAllCallback, AfterAllCallback {
    private SwingApp app;

    /** The application, while the class's tests run. */
    public SwingApp app() {
      return app;
    }

    @Override
    public void beforeAll(ExtensionContext context) {
      app = show();
    }

    @Override
    public void afterAll(ExtensionContext context) {
      app.close();
    }
  }

  /** Shows the frame "Doc", 400 x 200 at (60, 60) of the screen, and waits until it is mapped. */
  public static SwingApp show() {
    return show(TITLE, new Point(60, 60));
  }

  /**
   * Shows a frame with that title at that point of the screen (X coordinates) and waits until
   * the server has mapped it and it has the keyboard focus.
   */
  public static SwingApp show(String title, Point at) {
    SwingApp app =
        onEdtStatic(
            () -> {
              JFrame frame = new JFrame(title);
              frame.setDefaultCloseOperation(WindowConstants.DISPOSE_ON_CLOSE);
              JButton button = new JButton("Push");
              JTextField field = new JTextField(20);
              frame.getContentPane().add(button, BorderLayout.NORTH);
              frame.getContentPane().add(field, BorderLayout.SOUTH);
              frame.setSize(new Dimension(400, 200));
              frame.setLocation(at);
              frame.setVisible(true);
              return new SwingApp(frame, button, field);
            });
    RealInput.waitUntilMapped(title);
    // A frame that is shown takes the keyboard focus, a little later, and then gives it to one of
    // its components, which asks the server for the focus once more; once both have happened,
    // neither request can take the focus away from a window opened after it.
    long deadline = System.nanoTime() + Duration.ofSeconds(10).toNanos();
    while (!app.onEdt(() -> app.frame.isFocused() && app.frame.getFocusOwner() != null)) {
      if (System.nanoTime() > deadline)
        throw new AssertionError("the frame \"" + title + "\" never took the keyboard focus");
      XWindows.pause(20);
    }
    return app;
  }

  /** The frame; touch it on the event thread only. */
  public JFrame frame() {
    return frame;
  }

  /** The frame's button; touch it on the event thread only. */
  public JButton button() {
    return button;
  }

  /** The frame's text field; touch it on the event thread only. */
  public JTextField field() {
    return field;
  }

  /**
   * Runs the call on Swing's event thread and waits for its result ({@code
   * SwingUtilities.invokeAndWait}); what it throws is rethrown here.
   */
  public <T> T onEdt(Callable<T> call) {
    return onEdtStatic(call);
  }

  /**
   * Queues the call on Swing's event thread ({@code SwingUtilities.invokeLater}) and returns at
   * once; the future completes with its result or what it threw. Use this for a call that waits
   * for the user, such as an alert, while the test gives the input.
   */
  public <T> CompletableFuture<T> later(Callable<T> call) {
    CompletableFuture<T> result = new CompletableFuture<>();
    SwingUtilities.invokeLater(
        () -> {
          try {
            result.complete(call.call());
          } catch (Throwable failure) {
            result.completeExceptionally(failure);
          }
        });
    return result;
  }

  /** Disposes of the frame and waits until the server has unmapped it. */
  @Override
  public void close() {
    String title = onEdt(frame::getTitle);
    onEdt(
        () -> {
          frame.dispose();
          return null;
        });
    XWindows.waitForNone(
        "the frame \"" + title + "\"", w -> w.title().equals(title), Duration.ofSeconds(10));
  }

  private static <T> T onEdtStatic(Callable<T> call) {
    if (SwingUtilities.isEventDispatchThread()) {
      try {
        return call.call();
      } catch (RuntimeException | Error e) {
        throw e;
      } catch (Exception e) {
        throw new IllegalStateException(e);
      }
    }
    AtomicReference<T> result = new AtomicReference<>();
    AtomicReference<Throwable> failure = new AtomicReference<>();
    try {
      SwingUtilities.invokeAndWait(
          () -> {
            try {
              result.set(call.call());
            } catch (Throwable e) {
              failure.set(e);
            }
          });
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      throw new IllegalStateException("interrupted while waiting for Swing's event thread", e);
    } catch (InvocationTargetException e) {
      throw new IllegalStateException(e.getCause());
    }
    Throwable thrown = failure.get();
    if (thrown instanceof RuntimeException runtime) throw runtime;
    if (thrown instanceof Error error) throw error;
    if (thrown != null) throw new IllegalStateException(thrown);
    return result.get();
  }
}
