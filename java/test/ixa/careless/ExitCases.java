package ixa.careless;

import static ixa.careless.EveryNative.expectOne;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testkit.Screen;

/**
 * The application exits while the library is busy: the process must end with the status the
 * application chose, without the JVM reporting a crash. Neither case returns.
 */
final class ExitCases {
  private ExitCases() {}

  /**
   * System.exit from the program's main thread while another thread keeps the platform's main
   * thread drawing progress sheets, one animated.
   */
  static void exitWhileDrawing(Answerer user) throws Exception {
    Screen.openWindow("Main", 100, 100, 600, 400);
    Screen.run(0);
    Thread busy = new Thread(() -> {
      for (int round = 0;; round++) {
        IxaDialogs.initProgressDialog();
        IxaDialogs.updateProgressDialog("Copying", "file " + round, -1);
        for (int step = 0; step < 20; step++)
          IxaDialogs.updateProgressDialog("Copying", "file " + round, step * 5);
        IxaDialogs.closeProgressDialog();
      }
    }, "busy");
    busy.setDaemon(true);
    busy.start();
    Thread.sleep(300);
    System.out.println("CASE DONE exitWhileDrawing");
    System.out.flush();
    System.exit(0);
  }

  /**
   * System.exit from an application's handler, which runs on the platform's main thread while the
   * chosen menu item's call waits for it.
   */
  static void exitFromAHandler(Answerer user) throws Exception {
    Screen.openWindow("Main", 100, 100, 600, 400);
    Screen.run(0);
    expectOne(IxaDialogs.initProgressDialog());
    expectOne(IxaDialogs.updateProgressDialog("Copying", "", -1));
    Ixa.register("QUIT", () -> {
      System.out.println("CASE DONE exitFromAHandler");
      System.out.flush();
      System.exit(0);
    });
    user.choose("Quit");
    IxaDialogs.showMacContextMenuWithJSON(5, 5, "[{\"HEADER\":\"Quit\",\"IDENTITY\":\"QUIT\"}]");
    throw new AssertionError("the handler's System.exit returned");
  }
}
