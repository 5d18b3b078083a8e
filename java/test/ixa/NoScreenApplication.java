package ixa;

import java.awt.HeadlessException;
import java.util.ArrayList;
import java.util.List;
import java.util.concurrent.Callable;

/**
 * An application started with no usable X server (NoScreenTest runs it in a JVM of its own): every
 * method that shows a window must throw HeadlessException naming what was tried, and the ones that
 * need no screen must still work. Prints "NO SCREEN OK" and ends with 0, or lists what went wrong
 * and ends with 1.
 */
public final class NoScreenApplication {
  private NoScreenApplication() {}

  public static void main(String[] args) {
    String expected = args[0];
    List<String> faults = new ArrayList<>();
    List<Callable<Object>> screenCalls =
        List.of(
            () -> IxaDialogs.showMacDialog("m", "i", "OK", "Cancel"),
            () -> IxaDialogs.show3ButtonMacDialog("m", "i", "A", "B", "C"),
            () -> IxaDialogs.showMacTextEntryDialog("m", "i", "OK", "Cancel", "text"),
            () -> IxaDialogs.showTextEntrySheetDialog("m", "i", "OK", "Cancel", "text"),
            IxaDialogs::initProgressDialog,
            () -> IxaDialogs.showMacContextMenuWithJSON(10, 10, "[{\"title\":\"A\"}]"),
            IxaDialogs::modifyWindows,
            IxaDialogs::sheetifyWindow,
            IxaDialogs::enterFullScreen,
            () -> IxaDialogs.showMacColorPopover(10, 10));
    for (int i = 0; i < screenCalls.size(); i++) {
      try {
        Object answer = screenCalls.get(i).call();
        faults.add("call " + i + " answered " + answer + " instead of throwing");
      } catch (HeadlessException e) {
        if (e.getMessage() == null || !e.getMessage().contains(expected))
          faults.add("call " + i + ": the message does not say \"" + expected + "\": " + e);
      } catch (Exception e) {
        faults.add("call " + i + " threw " + e);
      }
    }
    if (IxaDialogs.runCommandAsNSTask("true") != 1) faults.add("runCommandAsNSTask failed");
    if (IxaDialogs.getMiscMacInfo("APPLICATIONSUPPORTDIRECTORY") == null) faults.add("getMiscMacInfo answered null");
    try {
      IxaDialogs.setAsAppStore();
    } catch (RuntimeException e) {
      faults.add("setAsAppStore threw " + e);
    }
    faults.forEach(System.out::println);
    System.out.println(faults.isEmpty() ? "NO SCREEN OK" : "NO SCREEN FAULTS " + faults.size());
    System.out.flush();
    System.exit(faults.isEmpty() ? 0 : 1);
  }
}
