package ixa.careless;

import static ixa.careless.EveryNative.check;
import static ixa.careless.EveryNative.expectOne;

import ixa.IxaDialogs;
import ixa.testkit.Screen;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.CyclicBarrier;
import java.util.concurrent.atomic.AtomicReference;

/**
 * Natives called from many threads at once, as an application that calls from wherever it
 * happens to be does. Each call is carried out on the platform's main thread; none may crash,
 * hang, or break a JNI rule, and the program's main thread goes on using the library meanwhile.
 */
final class ThreadCases {
  private ThreadCases() {}

  private static final int THREADS = 8;
  private static final int ROUNDS = 20;

  static void eightThreads(Answerer user) throws Exception {
    int window = Screen.openWindow("Main", 100, 100, 600, 400);
    Screen.run(0);
    expectOne(IxaDialogs.modifyMenuBar());
    CyclicBarrier start = new CyclicBarrier(THREADS + 1);
    AtomicReference<Throwable> failure = new AtomicReference<>();
    List<Thread> threads = new ArrayList<>();
    for (int t = 0; t < THREADS; t++) {
      String text = t % 2 == 0 ? "thread " + t : "thread\ud800\u0000" + t;
      Thread thread =
          new Thread(
              () -> {
                try {
                  start.await();
                  for (int round = 0; round < ROUNDS; round++) callEverything(text, round);
                } catch (Throwable e) {
                  failure.compareAndSet(null, e);
                }
              },
              "caller " + t);
      thread.start();
      threads.add(thread);
    }
    start.await();
    // The main thread keeps to its own work while the others call.
    for (int i = 0; threads.stream().anyMatch(Thread::isAlive); i++) {
      expectOne(IxaDialogs.initProgressDialog());
      expectOne(IxaDialogs.updateProgressDialog("Main", "working", 50));
      expectOne(IxaDialogs.closeProgressDialog());
      check(IxaDialogs.renderMacButton(80, 24, 0) == 0, "renderMacButton");
      expectOne(IxaDialogs.showMacContextMenuWithJSON(0, 0, "[]"));
      if (i % 20 == 0) expectOne(IxaDialogs.modifyWindows()); // each pass adds a band
      Screen.run(0.001);
    }
    for (Thread thread : threads) thread.join();
    if (failure.get() != null) throw new AssertionError("a calling thread failed", failure.get());
    Screen.close(window);
  }

  // Every native method but those that wait for a person (the alerts, a menu with items) and the
  // relaunch, which would end the process.
  private static void callEverything(String text, int round) {
    IxaDialogs.sheetifyWindow();
    IxaDialogs.closeSheetifiedWindow();
    IxaDialogs.enterFullScreen();
    IxaDialogs.showTextEntrySheetDialog(text, text, text, text, text);
    IxaDialogs.initProgressDialog();
    IxaDialogs.updateProgressDialog(text, text, round);
    IxaDialogs.closeProgressDialog();
    IxaDialogs.showMacColorPopover(round, round);
    IxaDialogs.renderMacButton(round, round, round);
    IxaDialogs.showMacContextMenuWithJSON(round, round, "[]");
    IxaDialogs.modifyMenuBar();
    IxaDialogs.setAsAppStore();
    IxaDialogs.modifyWindows();
    IxaDialogs.showSideRect();
    IxaDialogs.hideSideRect();
    IxaDialogs.getMiscMacInfo("HIGHLIGHTCOLOUR");
    IxaDialogs.getMiscMacInfo("APPLICATIONSUPPORTDIRECTORY");
    IxaDialogs.getMiscMacInfo(text);
    // The one native that runs on any thread and starts a process: a few times is enough.
    if (round % 5 == 0) IxaDialogs.runCommandAsNSTask("true");
  }
}
