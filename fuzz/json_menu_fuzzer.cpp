// libFuzzer target over the JSON-to-menu path. Every input is read as JSON text; the reader must
// answer either an object or an error (never both, never neither, never a crash), and whatever
// it reads must write back and read again to the same text. The text then goes through the
// library's context-menu builder and the menu's tracking loop, as showMacContextMenuWithJSON
// takes it.
//
// Build and run: scripts/run-fuzz (clang only). Seeds: fuzz/corpus/, dictionary: fuzz/json.dict.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "appkit/menus/NSMenu.h"
#include "foundation/json/NSJSONSerialization.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/values/NSNumber.h"
#include "menus/ContextMenu.h"

namespace {

[[noreturn]] void fail(const char* what) {
  __builtin_printf("json_menu_fuzzer: %s\n", what);
  std::abort();
}

std::string textOf(NSData* data) {
  return std::string(reinterpret_cast<const char*>(data->bytes()), data->length());
}

// Writing what was read must succeed, and reading and writing that text again must reach a fixed
// point (the first pass may turn "-0" or 1.0 into the integer 0 or 1, so the second compares).
void checkRoundTrip(NSObject* object, NSUInteger writeOptions) {
  NSError* error = nullptr;
  NSData* first = NSJSONSerialization::dataWithJSONObject(object, writeOptions, &error);
  if (!first) fail("a value that was read could not be written");
  NSObject* reread =
      NSJSONSerialization::JSONObjectWithData(first, NSJSONReadingFragmentsAllowed, nullptr);
  if (!reread) fail("written text did not read back");
  NSData* second = NSJSONSerialization::dataWithJSONObject(reread, writeOptions, nullptr);
  NSObject* third =
      NSJSONSerialization::JSONObjectWithData(second, NSJSONReadingFragmentsAllowed, nullptr);
  NSData* fourth =
      third ? NSJSONSerialization::dataWithJSONObject(third, writeOptions, nullptr) : nullptr;
  if (!fourth || textOf(second) != textOf(fourth)) fail("round trip is not stable");
}

// Builds the context menu from the text through the library's builder, pops it up and lets
// the tracking loop take a dismissal. Runs on the platform's main thread, as menus do. The library
// keeps the menu until the next one is built, and each item's target lives as long as its item, so
// nothing is left to free here.
void exerciseMenu(const uint8_t* bytes, size_t size) {
  NSString* text = NSString::alloc()->initWithBytes(bytes, size, NSUTF8StringEncoding);
  if (!text) return;
  NSMenuItem* positioningItem = nullptr;
  NSMenu* menu = brix::buildContextMenu(text, &positioningItem);
  text->release();
  (void)menu->itemForKeyEquivalent(NSSTR(","), NSEventModifierFlagCommand);
  menu->forEachItemDepthFirst([](NSMenuItem* item) {
    (void)item->isEnabled();
    return false;
  });
  NSRunLoop::mainRunLoop().performAsync([menu] { menu->cancelTrackingWithoutAnimation(); });
  (void)menu->popUpMenuPositioningItem(positioningItem, NSMakePoint(1, 2), nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  NSAutoreleasePool pool;
  NSData* data = NSData::dataWithBytes(bytes, size);
  for (NSUInteger options :
       {NSUInteger{0}, NSUInteger{NSJSONReadingFragmentsAllowed | NSJSONReadingMutableLeaves}}) {
    NSError* error = nullptr;
    NSObject* object = NSJSONSerialization::JSONObjectWithData(data, options, &error);
    if (!object == !error) fail("expected exactly one of a value and an error");
    if (!object) continue;
    checkRoundTrip(object, options ? NSJSONWritingFragmentsAllowed
                                   : NSJSONWritingSortedKeys | NSJSONWritingPrettyPrinted);
  }
  if (!NSRunLoop::mainRunLoop().performOnMain([&] { exerciseMenu(bytes, size); }))
    fail("the main thread did not run the menu");
  return 0;
}
