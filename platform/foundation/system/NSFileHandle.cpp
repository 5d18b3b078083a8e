#include "foundation/system/NSFileHandle.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "foundation/system/NSLog.h"

namespace {
NSFileHandle* standardHandle(int descriptor) {
  return static_cast<NSFileHandle*>(
      NSFileHandle::alloc()->initWithFileDescriptor(descriptor, false)->autorelease());
}
} // namespace

NSFileHandle* NSFileHandle::fileHandleWithStandardError() {
  return standardHandle(2);
}

NSFileHandle* NSFileHandle::initWithFileDescriptor(int descriptor, bool closeOnDealloc) {
  descriptor_ = descriptor;
  ownsDescriptor_ = closeOnDealloc;
  return this;
}

NSFileHandle::~NSFileHandle() {
  closeFile();
}

NSData* NSFileHandle::readDataToEndOfFile() {
  if (descriptor_ < 0) {
    NSLog("*** -[NSFileHandle readDataToEndOfFile]: the file handle has been closed");
    return nullptr;
  }
  std::vector<uint8_t> bytes;
  uint8_t block[64 * 1024];
  for (;;) {
    ssize_t count = read(descriptor_, block, sizeof block);
    if (count > 0) {
      bytes.insert(bytes.end(), block, block + count);
    } else if (count == 0) {
      break;
    } else if (errno != EINTR) {
      NSLog("*** -[NSFileHandle readDataToEndOfFile]: %s", std::strerror(errno));
      return nullptr;
    }
  }
  return NSData::dataWithVector(std::move(bytes));
}

bool NSFileHandle::writeData(const NSData* data) {
  if (data == nullptr) return true;
  if (descriptor_ < 0) {
    NSLog("*** -[NSFileHandle writeData:]: the file handle has been closed");
    return false;
  }
  const uint8_t* next = data->bytes();
  std::size_t remaining = data->length();
  while (remaining > 0) {
    ssize_t count = write(descriptor_, next, remaining);
    if (count < 0) {
      if (errno == EINTR) continue;
      NSLog("*** -[NSFileHandle writeData:]: %s", std::strerror(errno));
      return false;
    }
    next += count;
    remaining -= static_cast<std::size_t>(count);
  }
  return true;
}

void NSFileHandle::closeFile() {
  // A handle that does not own its descriptor (the standard streams) only forgets it.
  if (descriptor_ >= 0 && ownsDescriptor_) close(descriptor_);
  descriptor_ = -1;
}
