package ixa;

/**
 * The native dialogs, menus and window services of the application. Every method must be called
 * on the application's main thread; a call from any other thread is logged and does nothing.
 */
public final class IxaDialogs {
  static {
    System.loadLibrary("brixdialogs");
  }

  private IxaDialogs() {}

  // Windows and sheets
  public static native int sheetifyWindow();

  public static native int closeSheetifiedWindow();

  public static native int enterFullScreen();

  // Alerts and sheets
  public static native int showMacDialog(
      String messageText, String informativeText, String firstButton, String secondButton);

  public static native int show3ButtonMacDialog(
      String messageText,
      String informativeText,
      String firstButton,
      String secondButton,
      String thirdButton);

  public static native String showMacTextEntryDialog(
      String messageText,
      String informativeText,
      String firstButton,
      String secondButton,
      String initialText);

  public static native int showTextEntrySheetDialog(
      String title, String message, String acceptTitle, String cancelTitle, String identity);

  public static native int initProgressDialog();

  public static native int updateProgressDialog(String title, String message, double progress);

  public static native int closeProgressDialog();

  public static native int showMacColorPopover(double x, double y);

  public static native int renderMacButton(double width, double height, long unused);

  // Menus
  public static native int showMacContextMenuWithJSON(double x, double y, String json);

  public static native int modifyMenuBar();

  public static native int setAsAppStore();

  // Window restyling
  public static native int modifyWindows();

  public static native int showSideRect();

  public static native int hideSideRect();

  // Process and system
  public static native int relaunchThyself();

  public static native int runCommandAsNSTask(String command);

  public static native String getMiscMacInfo(String key);
}
