// NSTask: a child process, started with posix_spawn. Standard input, output and error are the
// parent's unless set to a pipe or a file handle; no other descriptor reaches the child. Every
// child is reaped as soon as it exits (ProcessReaper), whether or not anyone waits for it.
#pragma once

#include <sys/types.h>

#include <memory>

#include "foundation/collections/NSArray.h"

class NSFileHandle;
namespace brix {
class ChildExit;
}

enum NSTaskTerminationReason : NSInteger {
  NSTaskTerminationReasonExit = 1,
  NSTaskTerminationReasonUncaughtSignal = 2,
};

class NSTask : public NSObject {
  NS_OBJECT_CLASS(NSTask)

  NSTask* init() { return this; }

  void setLaunchPath(const NSString* path);
  NSString* launchPath() const { return launchPath_; }
  // The arguments after the program's name; copied, as Foundation copies them.
  void setArguments(const NSArray* arguments);
  NSArray* arguments() const { return arguments_; }
  // The child's working directory; nil (the default) keeps the parent's.
  void setCurrentDirectoryPath(const NSString* path);
  NSString* currentDirectoryPath() const { return currentDirectory_; }

  // Each takes an NSPipe or an NSFileHandle; nil keeps the parent's stream. For a pipe, launch
  // closes the parent's copy of the child's end, so that the other end sees end of file when
  // the child (and whatever it started with the same stream) is done with it.
  void setStandardInput(NSObject* pipeOrHandle);
  void setStandardOutput(NSObject* pipeOrHandle);
  void setStandardError(NSObject* pipeOrHandle);
  NSObject* standardInput() const { return streams_[0]; }
  NSObject* standardOutput() const { return streams_[1]; }
  NSObject* standardError() const { return streams_[2]; }

  // Not in Foundation: the child leads a session (and process group) of its own, so it survives
  // the parent's end and no signal meant for the parent's terminal reaches it.
  void setStartsNewSession(bool startsNewSession) { startsNewSession_ = startsNewSession; }
  bool startsNewSession() const { return startsNewSession_; }

  // Starts the process. Where Foundation raises (no launch path, not an executable file, the
  // task already launched, an argument that a C string cannot carry, spawn failure), this logs
  // one line and returns false, and the task stays unlaunched.
  bool launch();

  bool isRunning() const;
  // 0 before launch.
  pid_t processIdentifier() const { return pid_; }
  // Blocks until the child has exited and been reaped; returns at once if never launched.
  void waitUntilExit() const;
  // The exit code, or the signal number when a signal ended the child; -1 when the status was
  // taken by someone else (for example with SIGCHLD ignored). Meaningful once isRunning is false.
  int terminationStatus() const;
  NSTaskTerminationReason terminationReason() const;

private:
  Ref<NSString> launchPath_;
  Ref<NSArray> arguments_;
  Ref<NSString> currentDirectory_;
  Ref<NSObject> streams_[3];
  bool startsNewSession_ = false;
  pid_t pid_ = 0;
  std::shared_ptr<brix::ChildExit> exit_;
};
