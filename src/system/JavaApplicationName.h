// The application's name as Java names it, which the live display gives its windows
// (JavaApplicationName.cpp).
#pragma once

#include <string>

// The simple name of the main class in a sun.java.command value, which is the launcher's main
// class or jar followed by the program's arguments: "com.example.App --fast" gives "App",
// "mod/com.example.App" gives "App", "/opt/app/App.jar" gives "App"; empty for an empty value.
std::string JavaMainClassName(const std::string& command);
// The simple name of the main class of the Java VM in this process; empty when there is no VM or
// it names none. Any thread; a thread that is not attached to the VM is attached for the look.
std::string JavaApplicationName();
