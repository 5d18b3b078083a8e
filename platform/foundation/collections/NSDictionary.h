// NSDictionary and NSMutableDictionary: keyed collections that retain keys and values. Keys are
// compared with isEqual/hash, so equal strings find the same entry. Iteration follows insertion
// order, which keeps describe() output and tests deterministic.
#pragma once

#include <unordered_map>
#include <vector>

#include "foundation/collections/NSArray.h"

class NSDictionary : public NSObject {
  NS_OBJECT_CLASS(NSDictionary)

  NSDictionary* init() { return this; }
  ~NSDictionary() override;

  NSUInteger count() const { return entries_.size(); }
  NSObject* objectForKey(const NSObject* key) const;

  struct Entry {
    NSObject* key;
    NSObject* value;
  };
  const std::vector<Entry>& entries() const { return entries_; }

  NSString* description() const override;

protected:
  struct KeyHash {
    std::size_t operator()(const NSObject* key) const { return key->hash(); }
  };
  struct KeyEqual {
    bool operator()(const NSObject* a, const NSObject* b) const { return a->isEqual(b); }
  };
  // Small dictionaries (most of them) are searched linearly; the hash index is built only once
  // there are more than kLinearLimit entries, which saves its allocations. Buys:
  // BM_NSJSONSerialization/10000 0.64 us per item, 1.08 with an index from the first entry
  // (bench_menu_build, medians of 6 runs interleaved off and on).
  static constexpr std::size_t kLinearLimit = 8;
  std::size_t find(const NSObject* key) const; // position in entries_, or entries_.size()
  void reindex();
  std::vector<Entry> entries_;
  std::unordered_map<const NSObject*, std::size_t, KeyHash, KeyEqual> index_;
};

class NSMutableDictionary : public NSDictionary {
  NS_OBJECT_CLASS(NSMutableDictionary)

  static NSMutableDictionary* dictionary();
  // Replaces the value of an equal key in place; nil value or key is ignored.
  void setObject(NSObject* value, NSObject* key);
  void removeObjectForKey(const NSObject* key);
};
