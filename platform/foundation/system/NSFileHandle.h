// NSFileHandle: an open file descriptor, read or written in whole blocks.
#pragma once

#include "foundation/values/NSData.h"

class NSFileHandle : public NSObject {
  NS_OBJECT_CLASS(NSFileHandle)

  // Autoreleased handles on the process's standard streams; they never close them.
  static NSFileHandle* fileHandleWithStandardError();

  // The handle closes the descriptor when it is closed or deallocated only if closeOnDealloc.
  NSFileHandle* initWithFileDescriptor(int descriptor, bool closeOnDealloc);
  ~NSFileHandle() override;

  // -1 once the handle has been closed.
  int fileDescriptor() const { return descriptor_; }

  // Reads until end of file, which on a pipe means until every holder of its writing end has
  // closed it, and returns the bytes, autoreleased. Interrupted reads are retried. On a read
  // error or a closed handle (where Foundation would raise) it logs one line and returns nil.
  NSData* readDataToEndOfFile();
  // Writes every byte, retrying interrupted and partial writes; false (and a line in the log)
  // when the descriptor refuses them.
  bool writeData(const NSData* data);
  // Closes the descriptor now; later reads and writes fail. Closing twice does nothing.
  void closeFile();

private:
  int descriptor_ = -1;
  bool ownsDescriptor_ = false;
};
