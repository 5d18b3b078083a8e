#include "foundation/system/NSUserDefaults.h"
#include "foundation/runtime/Assert.h"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "foundation/json/NSJSONSerialization.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSLog.h"
#include "foundation/values/NSNumber.h"

namespace {

std::mutex sharedMutex;
NSUserDefaults* sharedDefaults = nullptr;

std::string configDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = getpwuid(getuid());
    home = user && user->pw_dir ? user->pw_dir : "/tmp";
  }
  return std::string(home) + "/.config";
}

// The process's name, usable as a file name.
std::string processDomain() {
  std::string name = program_invocation_short_name ? program_invocation_short_name : "";
  for (char& c : name)
    if (c == '/') c = '_';
  if (name.empty() || name == "." || name == "..") name = "brixdialogs";
  return name;
}

// A copy of a property list (owned, +1), or nullptr with the reason when value holds anything
// else. The depth bound also stops a container that contains itself.
NSObject* copyPropertyList(const NSObject* value, std::size_t depth, std::string& problem) {
  if (depth > NSJSONSerialization::kMaximumNestingDepth) {
    problem = "nesting too deep";
    return nullptr;
  }
  if (auto* string = ns_cast<NSString>(value))
    return NSString::alloc()->initWithUTF16(string->utf16());
  if (auto* number = ns_cast<NSNumber>(value)) {
    if (number->kind() == NSNumber::Kind::Double && !std::isfinite(number->doubleValue())) {
      problem = "a number that is not finite";
      return nullptr;
    }
    return number->retain(); // numbers are immutable
  }
  if (auto* array = ns_cast<NSArray>(value)) {
    auto* copy = NSMutableArray::alloc();
    for (NSObject* element : *array) {
      NSObject* child = copyPropertyList(element, depth + 1, problem);
      if (!child) {
        copy->release();
        return nullptr;
      }
      copy->addObject(child);
      child->release();
    }
    return copy;
  }
  if (auto* dictionary = ns_cast<NSDictionary>(value)) {
    auto* copy = NSMutableDictionary::alloc();
    for (const auto& entry : dictionary->entries()) {
      NSObject* key =
          ns_cast<NSString>(entry.key) ? copyPropertyList(entry.key, depth, problem) : nullptr;
      NSObject* child = key ? copyPropertyList(entry.value, depth + 1, problem) : nullptr;
      if (!child) {
        if (key) key->release();
        if (problem.empty()) problem = "a dictionary key that is not a string";
        copy->release();
        return nullptr;
      }
      copy->setObject(child, key);
      key->release();
      child->release();
    }
    return copy;
  }
  problem = std::string("an object of class ") + (value ? value->className() : "nil");
  return nullptr;
}

bool writeAll(int fd, const uint8_t* bytes, std::size_t length) {
  while (length > 0) {
    const ssize_t written = ::write(fd, bytes, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

bool makeDirectories(const std::string& path) {
  for (std::size_t slash = 1; slash != std::string::npos;) {
    slash = path.find('/', slash + 1);
    const std::string prefix = path.substr(0, slash);
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Replaces path with bytes so that readers see the old file or the new one, never a mixture.
bool writeFileAtomically(const std::string& directory, const std::string& path, const NSData* bytes,
                         std::string& problem) {
  if (!makeDirectories(directory)) {
    problem = "cannot create " + directory + ": " + std::strerror(errno);
    return false;
  }
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    problem = "cannot create a temporary file in " + directory + ": " + std::strerror(errno);
    return false;
  }
  ::fchmod(fd, 0600);
  const bool written = writeAll(fd, bytes->bytes(), bytes->length()) && ::fsync(fd) == 0;
  const int writeErrno = errno;
  if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    problem = "cannot write " + path + ": " + std::strerror(written ? errno : writeErrno);
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself is durable only once the directory is on disk.
  const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

// The file's bytes; nullptr with errno ENOENT when it does not exist.
NSData* readFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  auto* data = NSMutableData::data();
  uint8_t buffer[16384];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int readErrno = errno;
      ::close(fd);
      errno = readErrno;
      return nullptr;
    }
    if (got == 0) break;
    data->appendBytes(buffer, static_cast<NSUInteger>(got));
  }
  ::close(fd);
  return data;
}

} // namespace

NSUserDefaults* NSUserDefaults::standardUserDefaults() {
  std::lock_guard lock(sharedMutex);
  // The shared instance lives until resetStandardUserDefaults() or the end of the process.
  if (!sharedDefaults) sharedDefaults = alloc()->initWithSuiteName(nullptr);
  return sharedDefaults;
}

void NSUserDefaults::resetStandardUserDefaults() {
  NSUserDefaults* old = nullptr;
  {
    std::lock_guard lock(sharedMutex);
    old = std::exchange(sharedDefaults, nullptr);
  }
  if (old) old->release();
}

NSUserDefaults* NSUserDefaults::initWithSuiteName(const NSString* suiteName) {
  directory_ = configDirectory() + "/brixdialogs";
  std::string domain = suiteName ? suiteName->utf8() : processDomain();
  for (char& c : domain)
    if (c == '/') c = '_';
  path_ = directory_ + "/" + domain + ".json";
  values_ = NSMutableDictionary::alloc();
  load();
  return this;
}

NSUserDefaults::~NSUserDefaults() {
  values_->release();
}

void NSUserDefaults::load() {
  NSAutoreleasePool pool;
  NSData* bytes = readFile(path_);
  if (!bytes) {
    if (errno != ENOENT) {
      NSLog("NSUserDefaults: cannot read %s: %s", path_.c_str(), std::strerror(errno));
      keepCorruptFile_ = true;
    }
    return;
  }
  NSError* error = nullptr;
  auto* stored = ns_cast<NSDictionary>(
      NSJSONSerialization::JSONObjectWithData(bytes, NSJSONReadingMutableContainers, &error));
  if (!stored) {
    NSLog("NSUserDefaults: ignoring %s, which is not a JSON object", path_.c_str());
    keepCorruptFile_ = true;
    return;
  }
  for (const auto& entry : stored->entries())
    values_->setObject(entry.value, entry.key);
}

bool NSUserDefaults::persist(const std::unique_lock<std::mutex>& lock) {
  BRIX_ASSERT(lock.mutex() == &mutex_ && lock.owns_lock(),
              "the defaults were written without their lock");
  NSAutoreleasePool pool;
  NSError* error = nullptr;
  NSData* text = NSJSONSerialization::dataWithJSONObject(
      values_, NSJSONWritingPrettyPrinted | NSJSONWritingSortedKeys, &error);
  std::string problem;
  if (text && keepCorruptFile_) {
    // The unreadable file may still matter to someone; keep it rather than overwrite it.
    if (::rename(path_.c_str(), (path_ + ".corrupt").c_str()) == 0 || errno == ENOENT)
      keepCorruptFile_ = false;
  }
  upToDate_ = text && writeFileAtomically(directory_, path_, text, problem);
  if (!upToDate_)
    NSLog("NSUserDefaults: the defaults were not saved: %s",
          text ? problem.c_str() : error->localizedDescription()->utf8().c_str());
  return upToDate_;
}

void NSUserDefaults::store(const NSString* key, NSObject* copiedValue) {
  std::unique_lock lock(mutex_);
  NSObject* current = values_->objectForKey(key);
  if (copiedValue ? current && current->isEqual(copiedValue) : !current) return;
  if (copiedValue) {
    NSString* copiedKey = NSString::alloc()->initWithUTF16(key->utf16());
    values_->setObject(copiedValue, copiedKey);
    copiedKey->release();
  } else {
    values_->removeObjectForKey(key);
  }
  persist(lock);
}

NSObject* NSUserDefaults::objectForKey(const NSString* key) const {
  if (!key) return nullptr;
  std::lock_guard lock(mutex_);
  NSObject* value = values_->objectForKey(key);
  // Another thread may replace the value at once; the caller's reference stays valid.
  return value ? value->retain()->autorelease() : nullptr;
}

void NSUserDefaults::setObject(const NSObject* value, const NSString* key) {
  if (!key) {
    NSLog("NSUserDefaults: attempt to set a value for a nil key");
    return;
  }
  if (!value) {
    store(key, nullptr);
    return;
  }
  std::string problem;
  NSObject* copy = copyPropertyList(value, 0, problem);
  if (!copy) {
    NSLog("NSUserDefaults: attempt to insert non-property list object (%s) for key %s",
          problem.c_str(), key->utf8().c_str());
    return;
  }
  store(key, copy);
  copy->release();
}

void NSUserDefaults::removeObjectForKey(const NSString* key) {
  if (key) store(key, nullptr);
}

bool NSUserDefaults::boolForKey(const NSString* key) const {
  NSObject* value = objectForKey(key);
  if (auto* number = ns_cast<NSNumber>(value)) return number->boolValue();
  if (auto* string = ns_cast<NSString>(value)) {
    std::string text = string->utf8();
    for (char& c : text)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text == "yes" || text == "true" || string->intValue() != 0;
  }
  return false;
}

void NSUserDefaults::setBool(bool value, const NSString* key) {
  setObject(NSNumber::numberWithBool(value), key);
}

NSInteger NSUserDefaults::integerForKey(const NSString* key) const {
  NSObject* value = objectForKey(key);
  if (auto* number = ns_cast<NSNumber>(value)) return number->longLongValue();
  if (auto* string = ns_cast<NSString>(value)) return string->intValue();
  return 0;
}

void NSUserDefaults::setInteger(NSInteger value, const NSString* key) {
  setObject(NSNumber::numberWithLongLong(value), key);
}

double NSUserDefaults::doubleForKey(const NSString* key) const {
  NSObject* value = objectForKey(key);
  if (auto* number = ns_cast<NSNumber>(value)) return number->doubleValue();
  if (auto* string = ns_cast<NSString>(value)) return string->doubleValue();
  return 0;
}

void NSUserDefaults::setDouble(double value, const NSString* key) {
  setObject(NSNumber::numberWithDouble(value), key);
}

NSString* NSUserDefaults::stringForKey(const NSString* key) const {
  NSObject* value = objectForKey(key);
  if (auto* string = ns_cast<NSString>(value)) return string;
  if (auto* number = ns_cast<NSNumber>(value)) return number->description();
  return nullptr;
}

NSDictionary* NSUserDefaults::dictionaryRepresentation() const {
  auto* snapshot = NSMutableDictionary::dictionary();
  std::lock_guard lock(mutex_);
  for (const auto& entry : values_->entries())
    snapshot->setObject(entry.value, entry.key);
  return snapshot;
}

bool NSUserDefaults::synchronize() {
  std::unique_lock lock(mutex_);
  return upToDate_ || persist(lock);
}
