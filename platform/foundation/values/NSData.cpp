#include "foundation/values/NSData.h"

#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <unistd.h>

NSData* NSData::data() {
  return static_cast<NSData*>(alloc()->autorelease());
}

NSData* NSData::dataWithBytes(const void* bytes, NSUInteger length) {
  return static_cast<NSData*>(alloc()->initWithBytes(bytes, length)->autorelease());
}

NSData* NSData::dataWithVector(std::vector<uint8_t> bytes) {
  auto* result = alloc();
  result->bytes_ = std::move(bytes);
  return static_cast<NSData*>(result->autorelease());
}

NSData* NSData::dataWithContentsOfFile(const NSString* path) {
  if (!path) return nullptr;
  std::ifstream in(path->utf8(), std::ios::binary);
  if (!in) return nullptr;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  if (in.bad()) return nullptr;
  return dataWithVector(std::move(bytes));
}

NSData* NSData::initWithBytes(const void* bytes, NSUInteger length) {
  if (bytes && length) {
    bytes_.resize(length);
    std::memcpy(bytes_.data(), bytes, length);
  }
  return this;
}

bool NSData::writeToFile(const NSString* path, bool atomically) const {
  if (!path) return false;
  const std::string target = path->utf8();
  const std::string written = atomically ? target + ".tmp" + std::to_string(getpid()) : target;
  int fd = ::open(written.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes_.size()) {
    ssize_t n = ::write(fd, bytes_.data() + done, bytes_.size() - done);
    if (n < 0) {
      ::close(fd);
      if (atomically) ::unlink(written.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  const bool synced = !atomically || ::fsync(fd) == 0;
  ::close(fd);
  if (!synced || (atomically && ::rename(written.c_str(), target.c_str()) != 0)) {
    ::unlink(written.c_str());
    return false;
  }
  return true;
}

bool NSData::isEqual(const NSObject* other) const {
  auto* data = ns_cast<NSData>(other);
  return data && data->bytes_ == bytes_;
}

NSMutableData* NSMutableData::data() {
  return static_cast<NSMutableData*>(alloc()->autorelease());
}

void NSMutableData::appendBytes(const void* bytes, NSUInteger length) {
  if (!bytes || !length) return;
  const auto* p = static_cast<const uint8_t*>(bytes);
  bytes_.insert(bytes_.end(), p, p + length);
}
