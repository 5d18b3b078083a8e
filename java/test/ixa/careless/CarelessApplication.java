package ixa.careless;

import ixa.IxaDialogs;
import ixa.testkit.Screen;

/**
 * An application that uses the library carelessly, one case per run, each in a JVM of its own
 * (CarelessApplicationTest starts them), called from the program's main thread. A
 * case that returns ends the process with status 0; a failed check ends it with status 1, a
 * user's answer that could not be given with 3.
 */
public final class CarelessApplication {
  private CarelessApplication() {}

  public static void main(String[] args) {
    int status = 0;
    try {
      Screen.run(0);
      try (Answerer user = new Answerer()) {
        run(args[0], user);
      }
      System.out.println("CASE DONE " + args[0]);
    } catch (Throwable failure) {
      failure.printStackTrace(System.out);
      status = 1;
    }
    System.out.flush();
    // Non-daemon threads the library or a case may have left must not keep the process alive.
    System.exit(status);
  }

  private static void run(String name, Answerer user) throws Exception {
    switch (name) {
      case "textEntrySheetParentClosed" -> ClosedUnderSheetCases.textEntrySheetParentClosed(user);
      case "progressSheetParentClosed" -> ClosedUnderSheetCases.progressSheetParentClosed(user);
      case "sheetifiedWindowClosed" -> ClosedUnderSheetCases.sheetifiedWindowClosed(user);
      case "sheetifiedParentClosed" -> ClosedUnderSheetCases.sheetifiedParentClosed(user);
      case "sheetifiedClosedBeforeAttaching" ->
          ClosedUnderSheetCases.sheetifiedClosedBeforeAttaching(user);
      case "restyledWindowClosed" -> ClosedUnderSheetCases.restyledWindowClosed(user);
      case "hugeStrings" -> HostileTextCases.hugeStrings(user);
      case "longButtonTitles" -> HostileTextCases.longButtonTitles(user);
      case "loneSurrogatesAndNul" -> HostileTextCases.loneSurrogatesAndNul(user);
      case "throwingHandlers" -> ThrowingHandlerCases.throwingHandlers(user);
      case "reentrantHandler" -> ThrowingHandlerCases.reentrantHandler(user);
      case "eightThreads" -> ThreadCases.eightThreads(user);
      case "alertRounds" -> RoundCases.alerts(user);
      case "sheetRounds" -> RoundCases.sheets(user);
      case "progressRounds" -> RoundCases.progress(user);
      case "menuRounds" -> RoundCases.menus(user);
      case "buttonRenderingRounds" -> RoundCases.buttonRendering(user);
      case "colourPanelRounds" -> RoundCases.colourPanel(user);
      case "exitWhileDrawing" -> ExitCases.exitWhileDrawing(user);
      case "exitFromAHandler" -> ExitCases.exitFromAHandler(user);
      case "invokeAndWaitFromHandlers" -> WaitingCases.invokeAndWaitFromHandlers(user);
      case "swingRunsBehindAnAlert" -> WaitingCases.swingRunsBehindAnAlert(user);
      case "handlerWaitsForTheCallersLock" -> WaitingCases.handlerWaitsForTheCallersLock(user);
      case "slowHandlerRefusesNothing" -> WaitingCases.slowHandlerRefusesNothing(user);
      case "exceptionsStayWithTheirCall" -> WaitingCases.exceptionsStayWithTheirCall(user);
      case "handlersGetTheCallersLoader" -> WaitingCases.handlersGetTheCallersLoader(user);
      case "shutdownHook" -> WaitingCases.shutdownHookAfterExitFromAHandler(user);
      default -> throw new IllegalArgumentException("no case " + name);
    }
    // Whatever the case did, the library still works afterwards.
    EveryNative.expectOne(IxaDialogs.closeProgressDialog());
  }
}
