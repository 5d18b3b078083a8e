#include "foundation/system/NSPathUtilities.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

// The value of an environment variable when it is an absolute path; XDG says to ignore relative
// ones.
const char* absoluteEnvironmentPath(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? value : nullptr;
}

std::string homeDirectory() {
  if (const char* home = absoluteEnvironmentPath("HOME")) return withoutTrailingSlashes(home);
  std::vector<char> buffer(16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/') {
    return withoutTrailingSlashes(found->pw_dir);
  }
  return "/";
}

std::string userApplicationSupportDirectory() {
  if (const char* dataHome = absoluteEnvironmentPath("XDG_DATA_HOME"))
    return withoutTrailingSlashes(dataHome);
  std::string home = homeDirectory();
  return (home == "/" ? "" : home) + "/.local/share";
}

std::string abbreviatedWithTilde(const std::string& path) {
  std::string home = homeDirectory();
  if (home == "/") return path;
  if (path == home) return "~";
  if (!path.starts_with(home) || path.size() <= home.size() || path[home.size()] != '/')
    return path;
  // Appended piece by piece: GCC 12 misreads `"~" + std::string` as an overlapping copy.
  std::string abbreviated;
  abbreviated.reserve(1 + path.size() - home.size());
  abbreviated.push_back('~');
  abbreviated.append(path, home.size());
  return abbreviated;
}

} // namespace

NSArray* NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
                                             NSSearchPathDomainMask domainMask, bool expandTilde) {
  NSMutableArray* paths = NSMutableArray::array();
  if (directory == NSApplicationSupportDirectory && (domainMask & NSUserDomainMask)) {
    std::string path = userApplicationSupportDirectory();
    if (!expandTilde) path = abbreviatedWithTilde(path);
    // A path that is not valid UTF-8 cannot be an NSString; the user then has no such directory.
    if (NSString* string = NSString::stringWithUTF8String(path.c_str())) paths->addObject(string);
  }
  return paths;
}
