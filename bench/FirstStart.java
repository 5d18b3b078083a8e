import ixa.IxaDialogs;
import javax.swing.JOptionPane;
import javax.swing.SwingUtilities;

/**
 * One first start, as a new user's program makes it: a fresh JVM shows one alert and waits for
 * its answer. bench/first_start.cpp starts it, times it until the alert is drawn on the X server
 * and ends it. The argument picks the alert and the thread: "ours" (showMacDialog from main),
 * "ours-edt" (from Swing's event thread), "swing" (JOptionPane.showMessageDialog from main),
 * "swing-edt" (from Swing's event thread). The Swing runs never load the library.
 */
public final class FirstStart {
  private FirstStart() {}

  public static void main(String[] args) throws Exception {
    String mode = args.length > 0 ? args[0] : "ours";
    Runnable alert =
        mode.startsWith("swing")
            ? () ->
                JOptionPane.showMessageDialog(
                    null, "Your changes are lost if you don't save them.", "Save the changes?",
                    JOptionPane.WARNING_MESSAGE)
            : () ->
                IxaDialogs.showMacDialog(
                    "Save the changes to the document?",
                    "Your changes are lost if you don't save them.", "Save", "Cancel");
    if (mode.endsWith("-edt")) SwingUtilities.invokeAndWait(alert);
    else alert.run();
  }
}
