#include "foundation/collections/NSArray.h"

#include <algorithm>

NSArray* NSArray::array() {
  return static_cast<NSArray*>(alloc()->autorelease());
}

NSArray* NSArray::arrayWithObjects(std::initializer_list<NSObject*> objects) {
  auto* result = alloc();
  for (NSObject* object : objects)
    if (object) result->objects_.push_back(object->retain());
  return static_cast<NSArray*>(result->autorelease());
}

NSArray::~NSArray() {
  for (NSObject* object : objects_)
    object->release();
}

NSObject* NSArray::objectAtIndex(NSUInteger index) const {
  return index < objects_.size() ? objects_[index] : nullptr;
}

bool NSArray::containsObject(const NSObject* object) const {
  return indexOfObject(object) != NSNotFound;
}

NSUInteger NSArray::indexOfObject(const NSObject* object) const {
  if (!object) return NSNotFound;
  for (std::size_t i = 0; i < objects_.size(); ++i)
    if (objects_[i]->isEqual(object)) return i;
  return NSNotFound;
}

NSString* NSArray::description() const {
  auto* text = NSMutableString::string();
  text->appendString(NSSTR("("));
  for (std::size_t i = 0; i < objects_.size(); ++i)
    text->appendFormat(i ? ",\n    %@" : "\n    %@", objects_[i]);
  text->appendString(NSSTR(objects_.empty() ? ")" : "\n)"));
  return text;
}

bool NSArray::isEqual(const NSObject* other) const {
  auto* array = ns_cast<NSArray>(other);
  if (!array || array->count() != count()) return false;
  for (std::size_t i = 0; i < objects_.size(); ++i)
    if (!objects_[i]->isEqual(array->objects_[i])) return false;
  return true;
}

NSMutableArray* NSMutableArray::array() {
  return static_cast<NSMutableArray*>(alloc()->autorelease());
}

NSMutableArray* NSMutableArray::arrayWithCapacity(NSUInteger capacity) {
  auto* result = array();
  result->objects_.reserve(capacity);
  return result;
}

void NSMutableArray::addObject(NSObject* object) {
  if (object) objects_.push_back(object->retain());
}

void NSMutableArray::insertObject(NSObject* object, NSUInteger index) {
  if (!object) return;
  index = std::min<NSUInteger>(index, objects_.size());
  objects_.insert(objects_.begin() + static_cast<long>(index), object->retain());
}

void NSMutableArray::removeObjectAtIndex(NSUInteger index) {
  if (index >= objects_.size()) return;
  NSObject* removed = objects_[index];
  objects_.erase(objects_.begin() + static_cast<long>(index));
  removed->release();
}

void NSMutableArray::removeAllObjects() {
  std::vector<NSObject*> old;
  old.swap(objects_);
  for (NSObject* object : old)
    object->release();
}
