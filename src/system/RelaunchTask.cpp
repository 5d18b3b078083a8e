#include "system/RelaunchTask.h"

#include <fstream>
#include <iterator>
#include <string>

namespace brix {

NSString* shellQuoted(const NSString* word) {
  std::u16string quoted = u"'";
  for (char16_t character : word->utf16()) {
    if (character == u'\'')
      quoted += u"'\\''";
    else
      quoted += character;
  }
  quoted += u'\'';
  return NSString::stringWithCharacters(quoted.data(), quoted.size());
}

NSString* relaunchCommandText(double delaySeconds, const NSArray* commandLine) {
  NSMutableString* command = NSMutableString::string();
  for (NSObject* word : *commandLine) {
    if (command->length() > 0) command->appendString(NSSTR(" "));
    command->appendString(shellQuoted(ns_cast<NSString>(word)));
  }
  return NSString::stringWithFormat("sleep %f; %@", delaySeconds, command);
}

NSArray* currentCommandLine() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.empty()) return nullptr;
  // Each argument ends with a NUL; a process that rewrote its title may have left off the last.
  if (bytes.back() != '\0') bytes.push_back('\0');
  NSMutableArray* words = NSMutableArray::array();
  for (std::size_t start = 0; start < bytes.size(); start = bytes.find('\0', start) + 1) {
    NSString* word = NSString::stringWithUTF8String(bytes.c_str() + start);
    if (word == nullptr) return nullptr;
    words->addObject(word);
  }
  return words;
}

Ref<NSTask> makeRelaunchTask(double delaySeconds) {
  NSArray* commandLine = currentCommandLine();
  if (commandLine == nullptr) return nullptr;
  auto task = adopted(NSTask::alloc()->init());
  task->setLaunchPath(NSSTR("/bin/sh"));
  task->setArguments(
      NSArray::arrayWithObjects({NSSTR("-c"), relaunchCommandText(delaySeconds, commandLine)}));
  task->setStartsNewSession(true);
  return task;
}

} // namespace brix
