package ixa.careless;

import static org.junit.jupiter.api.Assertions.assertTrue;

import ixa.testing.ChildJvm;
import org.junit.jupiter.api.Test;

/**
 * A careless application, each case in a JVM of its own under -Xcheck:jni (see
 * CarelessApplication): nothing it does may crash the JVM, hang it, make it complain of a JNI
 * rule broken, or leave platform objects behind round after round.
 */
class CarelessApplicationTest {
  private static final long LIMIT_SECONDS = 60;
  private static final long ROUNDS_LIMIT_SECONDS = 180;

  private static void runCase(String name, long limitSeconds) throws Exception {
    ChildJvm.assertClean(ChildJvm.run(CarelessApplication.class, limitSeconds, name));
  }

  // --- windows closed under what the library still refers to ----------------------------------

  @Test
  void textEntrySheetParentClosedThenEveryNative() throws Exception {
    runCase("textEntrySheetParentClosed", LIMIT_SECONDS);
  }

  @Test
  void progressSheetParentClosedThenEveryNative() throws Exception {
    runCase("progressSheetParentClosed", LIMIT_SECONDS);
  }

  @Test
  void sheetifiedWindowClosedThenEveryNative() throws Exception {
    runCase("sheetifiedWindowClosed", LIMIT_SECONDS);
  }

  @Test
  void sheetifiedWindowsParentClosedThenEveryNative() throws Exception {
    runCase("sheetifiedParentClosed", LIMIT_SECONDS);
  }

  @Test
  void sheetifiedWindowClosedBeforeItIsAttachedThenEveryNative() throws Exception {
    runCase("sheetifiedClosedBeforeAttaching", LIMIT_SECONDS);
  }

  @Test
  void restyledWindowClosedThenEveryNative() throws Exception {
    runCase("restyledWindowClosed", LIMIT_SECONDS);
  }

  // --- text no careful caller passes ----------------------------------------------------------

  @Test
  void twoMegabyteStringsInEveryArgument() throws Exception {
    runCase("hugeStrings", LIMIT_SECONDS);
  }

  @Test
  void alertButtonsWithLongTitlesCanAllBePressed() throws Exception {
    runCase("longButtonTitles", 20); // a button out of reach leaves the alert up for good
  }

  @Test
  void loneSurrogatesNulAndNullInEveryArgument() throws Exception {
    runCase("loneSurrogatesAndNul", LIMIT_SECONDS);
  }

  // --- handlers and threads --------------------------------------------------------------------

  @Test
  void handlersThatThrowReachTheirCallerOnce() throws Exception {
    runCase("throwingHandlers", LIMIT_SECONDS);
  }

  @Test
  void handlersThatCallTheLibraryAgain() throws Exception {
    runCase("reentrantHandler", LIMIT_SECONDS);
  }

  @Test
  void eightThreadsCallingNativesAtOnce() throws Exception {
    runCase("eightThreads", LIMIT_SECONDS);
  }

  // --- a thousand rounds of each dialog, with the census back where it was ----------------------

  @Test
  void aThousandAlertsOfEachKind() throws Exception {
    runCase("alertRounds", ROUNDS_LIMIT_SECONDS);
  }

  @Test
  void aThousandTextEntrySheetsAnsweredAndCancelled() throws Exception {
    runCase("sheetRounds", ROUNDS_LIMIT_SECONDS);
  }

  @Test
  void aThousandProgressSheets() throws Exception {
    runCase("progressRounds", ROUNDS_LIMIT_SECONDS);
  }

  @Test
  void aThousandContextMenusChosenAndDismissed() throws Exception {
    runCase("menuRounds", ROUNDS_LIMIT_SECONDS);
  }

  @Test
  void aThousandButtonRenderings() throws Exception {
    runCase("buttonRenderingRounds", ROUNDS_LIMIT_SECONDS);
  }

  @Test
  void aThousandColourPanels() throws Exception {
    runCase("colourPanelRounds", ROUNDS_LIMIT_SECONDS);
  }

  // --- exiting while the library is busy ------------------------------------------------------

  @Test
  void exitWhileThePlatformDraws() throws Exception {
    runCase("exitWhileDrawing", LIMIT_SECONDS);
  }

  @Test
  void exitFromAHandlerOnThePlatformsThread() throws Exception {
    runCase("exitFromAHandler", LIMIT_SECONDS);
  }

  @Test
  void aShutdownHookCallingTheLibraryAfterExitOnThePlatformsThreadDoesNotHang() throws Exception {
    ChildJvm.Result result = ChildJvm.run(CarelessApplication.class, 30, "shutdownHook");
    ChildJvm.assertClean(result);
    assertTrue(result.output().contains("HOOK DONE 0 1"), result.output());
    assertTrue(result.output().contains("showMacDialog was called while the JVM exits"),
               result.output());
  }

  // --- waiting for the platform's main thread ------------------------------------------------

  @Test
  void handlersThatWaitForSwingWhileSwingWaitsForThem() throws Exception {
    runCase("invokeAndWaitFromHandlers", LIMIT_SECONDS);
  }

  @Test
  void swingServesEventsButTakesNoInputBehindAnAlert() throws Exception {
    runCase("swingRunsBehindAnAlert", LIMIT_SECONDS);
  }

  @Test
  void aHandlerWaitingForItsCallersLockEndsThatCall() throws Exception {
    runCase("handlerWaitsForTheCallersLock", LIMIT_SECONDS);
  }

  @Test
  void aSlowHandlerRefusesNoOtherCall() throws Exception {
    runCase("slowHandlerRefusesNothing", LIMIT_SECONDS);
  }

  @Test
  void anExceptionReachesOnlyTheCallItWasThrownIn() throws Exception {
    runCase("exceptionsStayWithTheirCall", LIMIT_SECONDS);
  }

  @Test
  void handlersRunWithTheCallersContextClassLoader() throws Exception {
    runCase("handlersGetTheCallersLoader", LIMIT_SECONDS);
  }
}
