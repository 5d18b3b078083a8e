package ixa.live.support;

import ixa.Ixa;
import java.time.Duration;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;

/**
 * Records what the library sends to {@link Ixa#callNamedRunnable} under some names, with the
 * thread that received it, so that a test can wait for an arrival. {@link #close} unregisters the
 * names.
 */
public final class Upcalls implements AutoCloseable {
  /** One arrival: the name, its value (null for none) and the receiving thread's name. */
  public record Arrival(String name, String value, String thread) {}

  private final BlockingQueue<Arrival> arrivals = new LinkedBlockingQueue<>();
  private final List<String> names;

  /** Starts recording the names. */
  public Upcalls(String... names) {
    this.names = List.of(names);
    for (String name : names)
      Ixa.register(
          name,
          (String value) ->
              arrivals.add(new Arrival(name, value, Thread.currentThread().getName())));
  }

  /**
   * The next arrival, waiting for it up to the limit.
   *
   * @throws AssertionError when nothing arrives in time
   */
  public Arrival next(Duration limit) {
    try {
      Arrival arrival = arrivals.poll(limit.toMillis(), TimeUnit.MILLISECONDS);
      if (arrival == null)
        throw new AssertionError(
            "nothing arrived for " + names + " within " + limit.toMillis() + " ms");
      return arrival;
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
      throw new AssertionError("interrupted while waiting for " + names, e);
    }
  }

  /** What has arrived and not been taken, oldest first; taken now. */
  public List<Arrival> drain() {
    List<Arrival> all = new ArrayList<>();
    arrivals.drainTo(all);
    return all;
  }

  @Override
  public void close() {
    for (String name : names) Ixa.unregister(name);
  }
}
