package ixa.demo;

import ixa.IxaDialogs;

/** A tour of the library: loads it and shows what crosses between Java and the native side. */
public final class Demo {
  private Demo() {}

  public static void main(String[] args) {
    System.out.println("Loading the native library through ixa.IxaDialogs ...");
    String[] keys = {"HIGHLIGHTCOLOUR", "APPLICATIONSUPPORTDIRECTORY", "highlightcolour"};
    for (String key : keys) {
      System.out.println("getMiscMacInfo(\"" + key + "\") = " + describe(IxaDialogs.getMiscMacInfo(key)));
    }
    System.out.println("runCommandAsNSTask(\"echo Grüße, 東京 😀\") = "
        + IxaDialogs.runCommandAsNSTask("echo 'Grüße, 東京 😀 crossed the bridge'"));
  }

  private static String describe(String value) {
    return value == null ? "null" : "\"" + value + "\"";
  }
}
