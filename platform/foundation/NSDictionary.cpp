#include "NSDictionary.h"

NSDictionary* NSDictionary::dictionary() {
  return static_cast<NSDictionary*>(alloc()->autorelease());
}

NSDictionary::~NSDictionary() {
  for (auto& entry : entries_) {
    entry.key->release();
    entry.value->release();
  }
}

NSObject* NSDictionary::objectForKey(const NSObject* key) const {
  if (!key) return nullptr;
  auto found = index_.find(key);
  return found == index_.end() ? nullptr : entries_[found->second].value;
}

NSArray* NSDictionary::allKeys() const {
  auto* keys = NSMutableArray::array();
  for (const auto& entry : entries_) keys->addObject(entry.key);
  return keys;
}

NSArray* NSDictionary::allValues() const {
  auto* values = NSMutableArray::array();
  for (const auto& entry : entries_) values->addObject(entry.value);
  return values;
}

NSString* NSDictionary::description() const {
  auto* text = NSMutableString::string();
  text->appendString(NSSTR("{"));
  for (const auto& entry : entries_) text->appendFormat("\n    %@ = %@;", entry.key, entry.value);
  text->appendString(NSSTR(entries_.empty() ? "}" : "\n}"));
  return text;
}

NSMutableDictionary* NSMutableDictionary::dictionary() {
  return static_cast<NSMutableDictionary*>(alloc()->autorelease());
}

void NSMutableDictionary::setObject(NSObject* value, NSObject* key) {
  if (!value || !key) return;
  value->retain();
  auto found = index_.find(key);
  if (found != index_.end()) {
    auto& entry = entries_[found->second];
    entry.value->release();
    entry.value = value;
    return;
  }
  // Keys are copied in Foundation; our keys are immutable strings in practice, so a retain
  // gives the same guarantee.
  key->retain();
  entries_.push_back({key, value});
  index_.emplace(key, entries_.size() - 1);
}

void NSMutableDictionary::removeObjectForKey(const NSObject* key) {
  if (!key) return;
  auto found = index_.find(key);
  if (found == index_.end()) return;
  const std::size_t position = found->second;
  Entry removed = entries_[position];
  index_.erase(found);
  entries_.erase(entries_.begin() + static_cast<long>(position));
  for (auto& [k, i] : index_)
    if (i > position) --i;
  removed.key->release();
  removed.value->release();
}

void NSMutableDictionary::removeAllObjects() {
  auto old = std::move(entries_);
  entries_.clear();
  index_.clear();
  for (auto& entry : old) {
    entry.key->release();
    entry.value->release();
  }
}
