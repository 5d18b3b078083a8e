// Helpers for the process and system tests: scratch directories, environment changes that undo
// themselves, and a look at this process's children through /proc.
#pragma once

#include <dirent.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

// A fresh directory under the system's temporary directory, removed with everything in it.
class ScratchDirectory {
public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brix-system-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

// Sets (or, with nullopt, removes) an environment variable for the life of the object.
class ScopedEnvironment {
public:
  ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnvironment() {
    if (previous_)
      setenv(name_.c_str(), previous_->c_str(), 1);
    else
      unsetenv(name_.c_str());
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
  std::string name_;
  std::optional<std::string> previous_;
};

// Field 3 (state) and field 4 (parent) of /proc/<pid>/stat; the name in field 2 may hold spaces,
// so parsing starts after its closing parenthesis.
struct ProcessStat {
  char state = '?';
  pid_t parent = 0;
  pid_t session = 0;
};
inline std::optional<ProcessStat> readProcessStat(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(file, line)) return std::nullopt;
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  ProcessStat stat;
  pid_t group = 0;
  rest >> stat.state >> stat.parent >> group >> stat.session;
  return stat;
}

// The children of this process that have exited and not been reaped.
inline int zombieChildCount() {
  int zombies = 0;
  DIR* proc = opendir("/proc");
  while (dirent* entry = readdir(proc)) {
    pid_t pid = std::atoi(entry->d_name);
    if (pid <= 0) continue;
    auto stat = readProcessStat(pid);
    if (stat && stat->parent == getpid() && stat->state == 'Z') ++zombies;
  }
  closedir(proc);
  return zombies;
}

// Polls a condition that another thread or process makes true, up to a generous limit.
template <class Condition> bool eventually(Condition condition, double seconds = 10) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

inline std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
