package ixa.demo;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.awt.BorderLayout;
import java.awt.Color;
import java.awt.GraphicsEnvironment;
import java.awt.event.MouseAdapter;
import java.awt.event.MouseEvent;
import java.lang.reflect.InvocationTargetException;
import javax.swing.BorderFactory;
import javax.swing.JButton;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.JMenu;
import javax.swing.JMenuBar;
import javax.swing.JMenuItem;
import javax.swing.JPanel;
import javax.swing.SwingConstants;
import javax.swing.SwingUtilities;
import javax.swing.WindowConstants;

/**
 * A small Swing application that uses the library as a desktop application does, on a live
 * display only (its frame is a real window there, which the platform hosts): a JFrame with a menu
 * bar item that asks for a new name in a text-entry sheet, a right-click area that opens a JSON
 * context menu, and a button that restyles every window. Its calls are made on Swing's event
 * thread; the simulated user answers, and the gallery gets the screen as the platform knows it
 * and as the X server shows it.
 */
public final class SwingTour {
  private static final String MENU =
      "[{\"HEADER\":\"Rename…\",\"IDENTITY\":\"rename\"},{\"HEADER\":\"-\"},"
          + "{\"HEADER\":\"Colour\",\"CHILDREN\":[{\"HEADER\":\"Red\",\"IDENTITY\":\"red\"},"
          + "{\"HEADER\":\"Blue\",\"IDENTITY\":\"blue\"}]}]";

  private SwingTour() {}

  /** Whether the tour can run: Java's windows are real windows of an X server here. */
  public static boolean canRun() {
    return !GraphicsEnvironment.isHeadless()
        && System.getenv("DISPLAY") != null
        && !"headless".equals(System.getenv("BRIX_DISPLAY"));
  }

  public static void run(Gallery gallery) {
    System.out.println("Swing tour: a Swing application's own frame on the live display ...");
    Ixa.register("NOTE_RENAMED", name -> System.out.println("  Java received the new name " + name));
    Ixa.register("blue", () -> System.out.println("  Java received the menu choice blue"));
    JFrame frame = onEdt(SwingTour::makeFrame);
    waitForWindow("Notes");
    gallery.add("A Swing application's frame, hosted under a title bar of the platform",
        Screen.snapshotScreen(1));

    // What the menu bar item does, as the user would choose it.
    onEdt(() -> {
      frame.getJMenuBar().getMenu(0).getItem(0).doClick();
      return null;
    });
    Screen.run(0.3);
    gallery.add("Its menu item's text-entry sheet, hanging on the Swing frame",
        Screen.snapshotScreen(1));
    User.focusField(0);
    User.type("Minutes, 8 December");
    User.pressButton("Rename");
    Screen.run(0.2);

    // A right-click in the area: the context menu opens where the pointer is.
    Thread user = new Thread(() -> {
      sleep(400);
      gallery.add("The JSON context menu opened from the frame's right-click area",
          Screen.snapshotScreen(1));
      User.chooseMenuItem("Colour", "Blue");
    }, "simulated-user");
    user.setDaemon(true);
    user.start();
    onEdt(() -> IxaDialogs.showMacContextMenuWithJSON(140, 160, MENU));
    join(user);

    onEdt(() -> {
      ((JButton) ((JPanel) frame.getContentPane()).getComponent(1)).doClick();
      return null;
    });
    Screen.run(0.3);
    gallery.add("The button restyled every window: the band across the Swing frame's top",
        Screen.snapshotScreen(1));
    onEdt(() -> {
      frame.dispose();
      return null;
    });
    Screen.run(0.3);
    Ixa.unregister("NOTE_RENAMED");
    Ixa.unregister("blue");
  }

  private static JFrame makeFrame() {
    JFrame frame = new JFrame("Notes");
    frame.setDefaultCloseOperation(WindowConstants.DISPOSE_ON_CLOSE);
    JMenuBar bar = new JMenuBar();
    JMenu edit = new JMenu("Edit");
    JMenuItem rename = new JMenuItem("Rename…");
    rename.addActionListener(e -> IxaDialogs.showTextEntrySheetDialog(
        "Rename the note", "Its new name:", "Rename", "Cancel", "NOTE_RENAMED"));
    edit.add(rename);
    bar.add(edit);
    frame.setJMenuBar(bar);

    JLabel area = new JLabel("Right-click here", SwingConstants.CENTER);
    area.setOpaque(true);
    area.setBackground(new Color(0xF4, 0xF1, 0xE8));
    area.setBorder(BorderFactory.createEmptyBorder(20, 20, 20, 20));
    area.addMouseListener(new MouseAdapter() {
      @Override
      public void mousePressed(MouseEvent e) {
        if (e.isPopupTrigger())
          IxaDialogs.showMacContextMenuWithJSON(e.getXOnScreen(), e.getYOnScreen(), MENU);
      }
    });
    JButton restyle = new JButton("Restyle the windows");
    restyle.addActionListener(e -> IxaDialogs.modifyWindows());
    JPanel content = new JPanel(new BorderLayout());
    content.add(area, BorderLayout.CENTER);
    content.add(restyle, BorderLayout.SOUTH);
    frame.setContentPane(content);
    frame.setBounds(160, 140, 520, 340);
    frame.setVisible(true);
    // The storing natives remember the environment that later answers use.
    IxaDialogs.renderMacButton(0, 0, 0);
    return frame;
  }

  private static void waitForWindow(String title) {
    for (int i = 0; i < 200; i++) {
      for (String shown : Screen.windowTitles()) if (shown.equals(title)) return;
      Screen.run(0.02);
    }
    System.err.println("  the frame \"" + title + "\" did not become a window of the platform");
  }

  private interface Call<T> {
    T call();
  }

  private static <T> T onEdt(Call<T> call) {
    Object[] result = new Object[1];
    try {
      SwingUtilities.invokeAndWait(() -> result[0] = call.call());
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
    } catch (InvocationTargetException e) {
      throw new IllegalStateException(e.getCause());
    }
    @SuppressWarnings("unchecked")
    T value = (T) result[0];
    return value;
  }

  private static void sleep(long millis) {
    try {
      Thread.sleep(millis);
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
    }
  }

  private static void join(Thread thread) {
    try {
      thread.join(10_000);
    } catch (InterruptedException e) {
      Thread.currentThread().interrupt();
    }
  }
}
