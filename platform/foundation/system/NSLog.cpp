#include "foundation/system/NSLog.h"

#include <cerrno>
#include <cstdarg>
#include <ctime>
#include <deque>
#include <mutex>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/strings/NSString.h"

namespace {

struct LogBuffer {
  std::mutex mutex;
  std::deque<std::string> lines;
};

LogBuffer& buffer() {
  // Lives for the life of the process: logging may happen during static destruction.
  static auto* instance = new LogBuffer;
  return *instance;
}

std::string banner() {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char text[160];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d %s[%d:%llu] ",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, static_cast<int>(now.tv_usec / 1000), program_invocation_short_name,
                static_cast<int>(getpid()), static_cast<unsigned long long>(syscall(SYS_gettid)));
  return text;
}

} // namespace

void NSLog(const char* format, ...) {
  NSAutoreleasePool pool;
  va_list arguments;
  va_start(arguments, format);
  NSString* message = NSString::stringWithFormatV(format, arguments);
  va_end(arguments);
  if (!message || message->length() == 0) return; // Foundation drops empty messages
  std::string text = message->utf8();
  std::string line = banner() + text;
  if (line.back() != '\n') line.push_back('\n');
  auto& log = buffer();
  std::lock_guard lock(log.mutex);
  // One write per message so that lines from several threads never interleave.
  std::size_t done = 0;
  while (done < line.size()) {
    ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (!text.empty() && text.back() == '\n') text.pop_back();
  log.lines.push_back(std::move(text));
  while (log.lines.size() > kNSLogBufferCapacity)
    log.lines.pop_front();
}

std::vector<std::string> NSLogBufferedLines() {
  auto& log = buffer();
  std::lock_guard lock(log.mutex);
  return {log.lines.begin(), log.lines.end()};
}

void NSLogClearBuffer() {
  auto& log = buffer();
  std::lock_guard lock(log.mutex);
  log.lines.clear();
}
