package ixa.testkit;

/**
 * A test-only way into a modal loop: runs an alert on the platform's main thread until a button
 * ends it, while the calling thread waits.
 */
final class Modal {
  static {
    ixa.internal.NativeLibraries.load(Modal.class, "brixtestkit");
  }

  private Modal() {}

  /**
   * Runs an alert with the message and the buttons (none: a single "OK"), and an editable
   * accessory field holding fieldText unless it is null.
   *
   * @return the pressed button's code: 1000 for the first, 1001 for the second, ...
   */
  static native int runAlert(String message, String fieldText, String... buttons);

  /** The accessory field's text when the last alert with a field ended. */
  static native String lastFieldText();
}
