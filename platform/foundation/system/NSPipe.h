// NSPipe: a one-way channel made of two file handles, typically a child's standard output.
#pragma once

#include "foundation/system/NSFileHandle.h"

class NSPipe : public NSObject {
  NS_OBJECT_CLASS(NSPipe)

  // An autoreleased pipe, or nil when the system has no descriptors left.
  static NSPipe* pipe();
  // nil (and the receiver released) when the pipe cannot be created.
  NSPipe* init();

  // Both ends close their descriptors on exec, so no child inherits them by accident; NSTask
  // hands the child the end it needs explicitly.
  NSFileHandle* fileHandleForReading() const { return reading_; }
  NSFileHandle* fileHandleForWriting() const { return writing_; }

private:
  Ref<NSFileHandle> reading_;
  Ref<NSFileHandle> writing_;
};
