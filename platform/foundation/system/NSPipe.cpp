#include "foundation/system/NSPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundation/system/NSLog.h"

NSPipe* NSPipe::pipe() {
  NSPipe* pipe = alloc()->init();
  return pipe ? static_cast<NSPipe*>(pipe->autorelease()) : nullptr;
}

NSPipe* NSPipe::init() {
  int descriptors[2];
  if (pipe2(descriptors, O_CLOEXEC) != 0) {
    NSLog("*** -[NSPipe init]: cannot create a pipe: %s", std::strerror(errno));
    release();
    return nullptr;
  }
  reading_ = adopted(NSFileHandle::alloc()->initWithFileDescriptor(descriptors[0], true));
  writing_ = adopted(NSFileHandle::alloc()->initWithFileDescriptor(descriptors[1], true));
  return this;
}
