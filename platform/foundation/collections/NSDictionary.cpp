#include "foundation/collections/NSDictionary.h"

NSDictionary::~NSDictionary() {
  for (auto& entry : entries_) {
    entry.key->release();
    entry.value->release();
  }
}

std::size_t NSDictionary::find(const NSObject* key) const {
  if (entries_.size() <= kLinearLimit) {
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].key->isEqual(key)) return i;
    return entries_.size();
  }
  auto found = index_.find(key);
  return found == index_.end() ? entries_.size() : found->second;
}

void NSDictionary::reindex() {
  index_.clear();
  if (entries_.size() <= kLinearLimit) return;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    index_.emplace(entries_[i].key, i);
}

NSObject* NSDictionary::objectForKey(const NSObject* key) const {
  if (!key) return nullptr;
  const std::size_t position = find(key);
  return position == entries_.size() ? nullptr : entries_[position].value;
}

NSString* NSDictionary::description() const {
  auto* text = NSMutableString::string();
  text->appendString(NSSTR("{"));
  for (const auto& entry : entries_)
    text->appendFormat("\n    %@ = %@;", entry.key, entry.value);
  text->appendString(NSSTR(entries_.empty() ? "}" : "\n}"));
  return text;
}

NSMutableDictionary* NSMutableDictionary::dictionary() {
  return static_cast<NSMutableDictionary*>(alloc()->autorelease());
}

void NSMutableDictionary::setObject(NSObject* value, NSObject* key) {
  if (!value || !key) return;
  value->retain();
  const std::size_t position = find(key);
  if (position != entries_.size()) {
    auto& entry = entries_[position];
    entry.value->release();
    entry.value = value;
    return;
  }
  // Keys are copied in Foundation; our keys are immutable strings in practice, so a retain
  // gives the same guarantee.
  key->retain();
  entries_.push_back({key, value});
  if (entries_.size() == kLinearLimit + 1)
    reindex();
  else if (entries_.size() > kLinearLimit)
    index_.emplace(key, entries_.size() - 1);
}

void NSMutableDictionary::removeObjectForKey(const NSObject* key) {
  if (!key) return;
  const std::size_t position = find(key);
  if (position == entries_.size()) return;
  Entry removed = entries_[position];
  entries_.erase(entries_.begin() + static_cast<long>(position));
  reindex();
  removed.key->release();
  removed.value->release();
}
