// The application's name for the live display: the simple name of the Java VM's main class, from
// its sun.java.command system property, as Java's own windows are named after it. The display
// layer knows nothing of Java: JavaDisplayHooks.cpp installs this, and the display asks once, as
// it opens.
#include "system/JavaApplicationName.h"

#include "bridge/JavaVm.h"

std::string JavaMainClassName(const std::string& command) {
  std::string name = command.substr(0, command.find(' '));
  constexpr std::string_view kJar = ".jar";
  if (name.size() > kJar.size() && name.ends_with(kJar)) {
    name.resize(name.size() - kJar.size());
    return name.substr(name.find_last_of('/') + 1);
  }
  // A module's main class comes after the module's name and a slash.
  return name.substr(name.find_last_of("/.") + 1);
}

std::string JavaApplicationName() {
  return JavaMainClassName(brix::javaSystemProperty("sun.java.command"));
}
