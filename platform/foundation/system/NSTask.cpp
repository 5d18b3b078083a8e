#include "foundation/system/NSTask.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "foundation/system/NSFileHandle.h"
#include "foundation/system/NSLog.h"
#include "foundation/system/NSPipe.h"
#include "foundation/system/ProcessReaper.h"

namespace {

// The descriptor a child stream should be bound to, or -1 for "leave the parent's".
int childDescriptor(const NSObject* stream, int standardDescriptor) {
  if (const auto* pipe = ns_cast<NSPipe>(stream)) {
    const NSFileHandle* end =
        standardDescriptor == 0 ? pipe->fileHandleForReading() : pipe->fileHandleForWriting();
    return end ? end->fileDescriptor() : -1;
  }
  if (const auto* handle = ns_cast<NSFileHandle>(stream)) return handle->fileDescriptor();
  return -1;
}

// The bytes of a string for execve, or nothing when they would not say the same thing: a string
// with U+0000 would be cut short, and one with a lone surrogate has no UTF-8 form.
std::optional<std::string> cArgument(const NSString* string) {
  if (string == nullptr) return std::nullopt;
  const char* bytes = string->UTF8String();
  if (bytes == nullptr || string->utf16().find(u'\0') != std::u16string::npos) return std::nullopt;
  return std::string(bytes);
}

bool isExecutableFile(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

// Owns the spawn attributes and file actions for one launch.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

} // namespace

void NSTask::setLaunchPath(const NSString* path) {
  launchPath_ = path ? retained(NSString::stringWithString(path)) : nullptr;
}

void NSTask::setArguments(const NSArray* arguments) {
  if (arguments == nullptr) {
    arguments_ = nullptr;
    return;
  }
  auto copy = retained(NSMutableArray::array());
  for (NSObject* argument : *arguments)
    copy->addObject(argument);
  arguments_ = copy;
}

void NSTask::setCurrentDirectoryPath(const NSString* path) {
  currentDirectory_ = path ? retained(NSString::stringWithString(path)) : nullptr;
}

void NSTask::setStandardInput(NSObject* stream) {
  streams_[0] = retained(stream);
}
void NSTask::setStandardOutput(NSObject* stream) {
  streams_[1] = retained(stream);
}
void NSTask::setStandardError(NSObject* stream) {
  streams_[2] = retained(stream);
}

bool NSTask::launch() {
  if (pid_ != 0) {
    NSLog("*** -[NSTask launch]: task already launched");
    return false;
  }
  std::optional<std::string> path = cArgument(launchPath_);
  if (!path) {
    NSLog("*** -[NSTask launch]: launch path not set");
    return false;
  }
  if (!isExecutableFile(*path)) {
    NSLog("*** -[NSTask launch]: launch path '%s' is not an executable file", path->c_str());
    return false;
  }
  std::vector<std::string> words{*path};
  if (arguments_) {
    for (NSObject* argument : *arguments_) {
      std::optional<std::string> word = cArgument(ns_cast<NSString>(argument));
      if (!word) {
        NSLog("*** -[NSTask launch]: an argument is not a string that a process can receive");
        return false;
      }
      words.push_back(std::move(*word));
    }
  }
  std::optional<std::string> directory;
  if (currentDirectory_) {
    directory = cArgument(currentDirectory_);
    if (!directory) {
      NSLog("*** -[NSTask launch]: the working directory is not a usable path");
      return false;
    }
  }

  SpawnSetup setup;
  for (int standard = 0; standard < 3; ++standard) {
    if (!streams_[standard]) continue;
    int descriptor = childDescriptor(streams_[standard], standard);
    if (descriptor < 0) {
      NSLog("*** -[NSTask launch]: standard stream %d is closed or not a pipe or file handle",
            standard);
      return false;
    }
    posix_spawn_file_actions_adddup2(&setup.actions, descriptor, standard);
  }
  if (directory) posix_spawn_file_actions_addchdir_np(&setup.actions, directory->c_str());
  // Only the three standard streams reach the child, as on macOS, whatever the JVM left open.
  posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);

  // The JVM blocks and handles signals of its own; the child starts with a clean slate.
  sigset_t noSignals, allSignals;
  sigemptyset(&noSignals);
  sigfillset(&allSignals);
  sigdelset(&allSignals, SIGKILL);
  sigdelset(&allSignals, SIGSTOP);
  posix_spawnattr_setsigmask(&setup.attributes, &noSignals);
  posix_spawnattr_setsigdefault(&setup.attributes, &allSignals);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (startsNewSession_) flags |= POSIX_SPAWN_SETSID;
  posix_spawnattr_setflags(&setup.attributes, flags);

  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  int error =
      posix_spawn(&pid, path->c_str(), &setup.actions, &setup.attributes, argv.data(), environ);
  if (error != 0) {
    NSLog("*** -[NSTask launch]: cannot start '%s': %s", path->c_str(), std::strerror(error));
    return false;
  }
  pid_ = pid;
  exit_ = std::make_shared<brix::ChildExit>();
  brix::ProcessReaper::shared().watch(pid, exit_);

  // The child holds its own copies now; ours would keep a pipe from ever reaching end of file.
  for (int standard = 0; standard < 3; ++standard) {
    if (auto* pipe = ns_cast<NSPipe>(streams_[standard])) {
      NSFileHandle* childEnd =
          standard == 0 ? pipe->fileHandleForReading() : pipe->fileHandleForWriting();
      if (childEnd) childEnd->closeFile();
    }
  }
  return true;
}

bool NSTask::isRunning() const {
  return exit_ && !exit_->hasExited();
}

void NSTask::waitUntilExit() const {
  if (exit_) exit_->wait();
}

int NSTask::terminationStatus() const {
  if (!exit_ || !exit_->hasExited()) return 0;
  int status = exit_->waitStatus();
  if (status == -1) return -1;
  return WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status);
}

NSTaskTerminationReason NSTask::terminationReason() const {
  if (exit_ && exit_->hasExited()) {
    int status = exit_->waitStatus();
    if (status != -1 && WIFSIGNALED(status)) return NSTaskTerminationReasonUncaughtSignal;
  }
  return NSTaskTerminationReasonExit;
}
