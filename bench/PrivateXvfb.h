// An Xvfb of a benchmark program's own (tests/xvfb/start and stop), which it uses through
// DISPLAY with BRIX_DISPLAY=x11 whatever DISPLAY was, and always stops at the end.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

class PrivateXvfb {
public:
  // Starts the server, keeping its state in the folder; started() says whether it runs.
  explicit PrivateXvfb(std::string state) : state_(std::move(state)) {
    if (std::system((scripts() + "start " + state_ + " >/dev/null").c_str()) != 0) {
      std::fprintf(stderr, "Xvfb could not be started\n");
      return;
    }
    char name[64] = {};
    if (FILE* file = std::fopen((state_ + "/display").c_str(), "r")) {
      if (!std::fgets(name, sizeof name, file)) name[0] = '\0';
      std::fclose(file);
    }
    name[std::strcspn(name, "\r\n")] = '\0';
    display_ = name;
    setenv("DISPLAY", name, 1);
    setenv("BRIX_DISPLAY", "x11", 1);
  }
  PrivateXvfb(const PrivateXvfb&) = delete;
  PrivateXvfb& operator=(const PrivateXvfb&) = delete;

  bool started() const { return !display_.empty(); }
  const std::string& display() const { return display_; }
  // Stops the server; false when it could not be stopped cleanly.
  bool stop() { return std::system((scripts() + "stop " + state_).c_str()) == 0; }

private:
  std::string state_, display_;
  static std::string scripts() { return std::string(BRIX_SOURCE_DIR) + "/tests/xvfb/"; }
};
