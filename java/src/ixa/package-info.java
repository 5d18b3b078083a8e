/**
 * Native dialogs, sheets, context menus and window services for a Java desktop application.
 *
 * <p>{@link ixa.IxaDialogs} shows alerts, sheets, menus and panels and restyles windows; {@link
 * ixa.Ixa} is where what the user does later (a menu item chosen, a sheet answered, a colour
 * picked) arrives, as named actions the application registers. Every method of {@code
 * IxaDialogs} may be called from any thread; the registered actions run on the platform's own
 * main thread. The jar carries its native libraries for linux-x86_64 and loads them itself.
 */
package ixa;
