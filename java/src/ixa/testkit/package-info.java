/**
 * Testing an application's dialogs: {@link ixa.testkit.User} acts as the user (buttons, typing,
 * keys, menus, the colour panel) through the path real input takes, {@link ixa.testkit.Screen}
 * describes and arranges what is on screen, {@link ixa.testkit.Snapshots} draws it to PNG, and
 * {@link ixa.testkit.ScreenExtension} gives each JUnit 5 test a clean screen and a picture of it
 * when it fails. Works on the headless display ({@code BRIX_DISPLAY=headless}), as in CI.
 */
package ixa.testkit;
