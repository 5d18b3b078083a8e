// NSArray and NSMutableArray: ordered collections that retain their elements.
#pragma once

#include <initializer_list>
#include <vector>

#include "foundation/strings/NSString.h"

class NSArray : public NSObject {
  NS_OBJECT_CLASS(NSArray)

  static NSArray* array();
  static NSArray* arrayWithObjects(std::initializer_list<NSObject*> objects);
  ~NSArray() override;

  NSUInteger count() const { return objects_.size(); }
  // The element at index; nullptr past the end (Foundation would raise, we never throw).
  NSObject* objectAtIndex(NSUInteger index) const;
  NSObject* firstObject() const { return objects_.empty() ? nullptr : objects_.front(); }
  NSObject* lastObject() const { return objects_.empty() ? nullptr : objects_.back(); }
  bool containsObject(const NSObject* object) const;
  NSUInteger indexOfObject(const NSObject* object) const; // isEqual, or NSNotFound

  auto begin() const { return objects_.begin(); }
  auto end() const { return objects_.end(); }

  NSString* description() const override;
  bool isEqual(const NSObject* other) const override;

protected:
  std::vector<NSObject*> objects_; // each element retained once
};

class NSMutableArray : public NSArray {
  NS_OBJECT_CLASS(NSMutableArray)

  static NSMutableArray* array();
  static NSMutableArray* arrayWithCapacity(NSUInteger capacity);
  void addObject(NSObject* object);                      // nil is ignored (Foundation would raise)
  void insertObject(NSObject* object, NSUInteger index); // index clamped to count
  void removeObjectAtIndex(NSUInteger index);
  void removeAllObjects();
};
