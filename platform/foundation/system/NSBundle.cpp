#include "foundation/system/NSBundle.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

std::string currentDirectory() {
  std::error_code error;
  std::filesystem::path directory = std::filesystem::current_path(error);
  return error ? std::string("/") : directory.string();
}

std::string absolutePath(const std::string& path) {
  if (!path.empty() && path.front() == '/') return withoutTrailingSlashes(path);
  return withoutTrailingSlashes(currentDirectory() + "/" + path);
}

bool exists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

// A string owned by the caller, so that no autorelease pool is needed.
Ref<NSString> ownedString(const std::string& utf8) {
  return adopted(NSString::alloc()->initWithUTF16(NSUTF8ToUTF16(utf8)));
}

std::string mainBundleDirectory() {
  const char* configured = std::getenv("BRIX_MAIN_BUNDLE");
  if (configured != nullptr && *configured != '\0') return absolutePath(configured);
  return currentDirectory();
}

} // namespace

NSBundle* NSBundle::mainBundle() {
  static std::mutex mutex;
  // Every main bundle handed out stays alive: callers keep them without retaining, as they may
  // with Foundation's, even when the environment later names another directory.
  static auto& bundles = *new std::vector<NSBundle*>();
  Ref<NSString> path = ownedString(mainBundleDirectory());
  std::lock_guard lock(mutex);
  if (bundles.empty() || !bundles.back()->bundlePath()->isEqualToString(path)) {
    NSBundle* bundle = alloc();
    bundle->bundlePath_ = path;
    bundles.push_back(bundle);
  }
  return bundles.back();
}

NSBundle* NSBundle::bundleWithPath(const NSString* path) {
  NSBundle* bundle = alloc()->initWithPath(path);
  return bundle ? static_cast<NSBundle*>(bundle->autorelease()) : nullptr;
}

NSBundle* NSBundle::initWithPath(const NSString* path) {
  std::string directory = path ? path->utf8() : std::string();
  struct stat status;
  if (directory.empty() || stat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    release();
    return nullptr;
  }
  bundlePath_ = ownedString(absolutePath(directory));
  return this;
}

NSString* NSBundle::resourcePath() const {
  return NSString::stringWithUTF8String((bundlePath_->utf8() + "/Contents/Resources").c_str());
}

NSString* NSBundle::pathForResource(const NSString* name, const NSString* type) const {
  std::string resources = bundlePath_->utf8() + "/Contents/Resources";
  std::string extension = type ? type->utf8() : std::string();
  if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
  std::string base = name ? name->utf8() : std::string();

  std::string found;
  if (!base.empty()) {
    std::string candidate = resources + "/" + base + (extension.empty() ? "" : "." + extension);
    if (exists(candidate)) found = candidate;
  } else if (!extension.empty()) {
    std::vector<std::string> matches;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(resources, error), end; !error && entry != end;
         entry.increment(error)) {
      if (entry->path().extension() == "." + extension) matches.push_back(entry->path().string());
    }
    if (!matches.empty()) found = *std::min_element(matches.begin(), matches.end());
  }
  return found.empty() ? nullptr : NSString::stringWithUTF8String(found.c_str());
}
