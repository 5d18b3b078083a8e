#include "appkit/drawing/NSAttributedString.h"

#include <algorithm>

#include "appkit/rendering/TextLayout.h"
#include "foundation/system/NSLog.h"

namespace {

NSString* immortalString(const char16_t* text) {
  return NSString::alloc()->initWithUTF16(text);
}

// An empty dictionary shared by runs without attributes.
NSDictionary* emptyAttributes() {
  static NSDictionary* const empty = NSDictionary::alloc();
  return empty;
}

// A new dictionary with the entries of the given one, or empty for nil.
Ref<NSDictionary> copyOf(const NSDictionary* attributes,
                         const std::function<void(NSMutableDictionary*)>& change = nullptr) {
  Ref<NSMutableDictionary> copy = adopted(NSMutableDictionary::alloc());
  if (attributes)
    for (const auto& entry : attributes->entries())
      copy->setObject(entry.value, entry.key);
  if (change) change(copy);
  return copy;
}

bool sameAttributes(const NSDictionary* a, const NSDictionary* b) {
  if (a == b) return true;
  if (a->count() != b->count()) return false;
  for (const auto& entry : a->entries()) {
    NSObject* other = b->objectForKey(entry.key);
    if (!other || !other->isEqual(entry.value)) return false;
  }
  return true;
}

} // namespace

NSString* const NSFontAttributeName = immortalString(u"NSFont");
NSString* const NSForegroundColorAttributeName = immortalString(u"NSColor");
NSString* const NSBackgroundColorAttributeName = immortalString(u"NSBackgroundColor");
NSString* const NSKernAttributeName = immortalString(u"NSKern");
NSString* const NSUnderlineStyleAttributeName = immortalString(u"NSUnderline");
NSString* const NSParagraphStyleAttributeName = immortalString(u"NSParagraphStyle");

// MARK: immutable

NSAttributedString* NSAttributedString::initWithString(const NSString* text) {
  return initWithString(text, nullptr);
}

NSAttributedString* NSAttributedString::initWithString(const NSString* text,
                                                       const NSDictionary* attributes) {
  text_ = text ? text->utf16() : std::u16string();
  if (!text_.empty()) runs_.push_back({text_.size(), copyOf(attributes)});
  return this;
}

NSString* NSAttributedString::string() const {
  return static_cast<NSString*>(NSString::alloc()->initWithUTF16(text_)->autorelease());
}

bool NSAttributedString::checkRange(NSRange range, const char* selector) const {
  if (range.location <= text_.size() && range.length <= text_.size() - range.location) return true;
  NSLog("*** -[%s %s]: Range {%lu, %lu} out of bounds; string length %lu", className(), selector,
        range.location, range.length, static_cast<unsigned long>(text_.size()));
  return false;
}

std::size_t NSAttributedString::runAt(NSUInteger index, NSUInteger* runStart) const {
  NSUInteger start = 0;
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    if (index < start + runs_[i].length) {
      if (runStart) *runStart = start;
      return i;
    }
    start += runs_[i].length;
  }
  if (runStart) *runStart = start;
  return runs_.size();
}

NSDictionary* NSAttributedString::attributesAtIndex(NSUInteger index,
                                                    NSRange* effectiveRange) const {
  NSUInteger start = 0;
  std::size_t i = runAt(index, &start);
  if (i == runs_.size()) {
    checkRange(NSMakeRange(index, 1), "attributesAtIndex:effectiveRange:");
    return nullptr;
  }
  if (effectiveRange) *effectiveRange = NSMakeRange(start, runs_[i].length);
  return runs_[i].attributes;
}

NSObject* NSAttributedString::attributeAtIndex(const NSString* name, NSUInteger index,
                                               NSRange* effectiveRange) const {
  NSDictionary* attributes = attributesAtIndex(index, nullptr);
  if (!attributes) return nullptr;
  NSObject* value = name ? attributes->objectForKey(name) : nullptr;
  if (effectiveRange) {
    // The longest range around index over which this one attribute keeps its value.
    NSUInteger start = 0;
    std::size_t i = runAt(index, &start);
    auto sameValue = [&](std::size_t run) {
      NSObject* other = name ? runs_[run].attributes->objectForKey(name) : nullptr;
      return other == value || (other && value && other->isEqual(value));
    };
    std::size_t first = i, last = i;
    while (first > 0 && sameValue(first - 1))
      start -= runs_[--first].length;
    NSUInteger length = 0;
    while (last + 1 < runs_.size() && sameValue(last + 1))
      ++last;
    for (std::size_t run = first; run <= last; ++run)
      length += runs_[run].length;
    *effectiveRange = NSMakeRange(start, length);
  }
  return value;
}

void NSAttributedString::enumerateAttributesInRange(
    NSRange range, const std::function<void(NSDictionary*, NSRange, bool* stop)>& block) const {
  if (!checkRange(range, "enumerateAttributesInRange:options:usingBlock:")) return;
  NSUInteger start = 0, end = range.location + range.length;
  for (const Run& run : runs_) {
    NSUInteger runEnd = start + run.length;
    NSUInteger from = std::max(start, range.location), to = std::min(runEnd, end);
    if (from < to) {
      bool stop = false;
      block(run.attributes, NSMakeRange(from, to - from), &stop);
      if (stop) return;
    }
    start = runEnd;
    if (start >= end) return;
  }
}

std::vector<NSAttributedString::Run> NSAttributedString::runsInRange(NSRange range) const {
  std::vector<Run> pieces;
  enumerateAttributesInRange(range, [&](NSDictionary* attributes, NSRange piece, bool*) {
    pieces.push_back({piece.length, retained(attributes)});
  });
  return pieces;
}

bool NSAttributedString::isEqualToAttributedString(const NSAttributedString* other) const {
  if (!other) return false;
  if (other->text_ != text_ || other->runs_.size() != runs_.size()) return false;
  for (std::size_t i = 0; i < runs_.size(); ++i)
    if (runs_[i].length != other->runs_[i].length ||
        !sameAttributes(runs_[i].attributes, other->runs_[i].attributes))
      return false;
  return true;
}

bool NSAttributedString::isEqual(const NSObject* other) const {
  return isEqualToAttributedString(ns_cast<NSAttributedString>(other));
}

std::size_t NSAttributedString::hash() const {
  return std::hash<std::u16string>{}(text_);
}

NSString* NSAttributedString::description() const {
  NSMutableString* out = NSMutableString::string();
  NSUInteger start = 0;
  for (const Run& run : runs_) {
    out->appendString(static_cast<NSString*>(
        NSString::alloc()->initWithUTF16(text_.substr(start, run.length))->autorelease()));
    out->appendString(NSSTR("{\n"));
    for (const auto& entry : run.attributes->entries())
      out->appendFormat("    %@ = %@;\n", entry.key, entry.value);
    out->appendString(NSSTR("}"));
    start += run.length;
  }
  return out;
}

NSSize NSAttributedString::size() const {
  return TextLayout(this).size();
}

void NSAttributedString::drawAtPoint(NSPoint point) const {
  TextLayout(this).drawAtPoint(point);
}

// MARK: run surgery

void NSAttributedString::splitAt(NSUInteger index) {
  NSUInteger start = 0;
  std::size_t i = runAt(index, &start);
  if (i == runs_.size() || start == index) return;
  Run tail{runs_[i].length - (index - start), runs_[i].attributes};
  runs_[i].length = index - start;
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, tail);
}

void NSAttributedString::mergeRuns() {
  std::vector<Run> merged;
  for (Run& run : runs_) {
    if (run.length == 0) continue;
    if (!merged.empty() && sameAttributes(merged.back().attributes, run.attributes))
      merged.back().length += run.length;
    else
      merged.push_back(std::move(run));
  }
  runs_ = std::move(merged);
}

void NSAttributedString::replaceRange(NSRange range, const std::u16string& text,
                                      std::vector<Run> runs) {
  splitAt(range.location);
  splitAt(range.location + range.length);
  NSUInteger start = 0;
  std::size_t first = runAt(range.location, &start);
  std::size_t last = first;
  NSUInteger removed = 0;
  while (last < runs_.size() && removed < range.length) {
    removed += runs_[last].length;
    ++last;
  }
  auto at = runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first),
                        runs_.begin() + static_cast<std::ptrdiff_t>(last));
  runs_.insert(at, runs.begin(), runs.end());
  text_.replace(range.location, range.length, text);
  mergeRuns();
}

// MARK: mutable

void NSMutableAttributedString::addAttribute(const NSString* name, NSObject* value, NSRange range) {
  if (!name || !value) {
    NSLog("*** -[NSMutableAttributedString addAttribute:value:range:]: nil %s",
          name ? "value" : "attribute name");
    return;
  }
  Ref<NSMutableDictionary> single = adopted(NSMutableDictionary::alloc());
  single->setObject(value, const_cast<NSString*>(name));
  addAttributes(single, range);
}

void NSMutableAttributedString::addAttributes(const NSDictionary* attributes, NSRange range) {
  if (!checkRange(range, "addAttributes:range:") || !attributes) return;
  splitAt(range.location);
  splitAt(range.location + range.length);
  NSUInteger start = 0;
  for (Run& run : runs_) {
    if (start >= range.location && start < range.location + range.length) {
      run.attributes = copyOf(run.attributes, [attributes](NSMutableDictionary* changed) {
        for (const auto& entry : attributes->entries())
          changed->setObject(entry.value, entry.key);
      });
    }
    start += run.length;
  }
  mergeRuns();
}

void NSMutableAttributedString::setAttributes(const NSDictionary* attributes, NSRange range) {
  if (!checkRange(range, "setAttributes:range:") || range.length == 0) return;
  std::vector<Run> replacement{{range.length, copyOf(attributes)}};
  replaceRange(range, text_.substr(range.location, range.length), std::move(replacement));
}

void NSMutableAttributedString::appendAttributedString(const NSAttributedString* other) {
  insertAttributedString(other, length());
}

void NSMutableAttributedString::insertAttributedString(const NSAttributedString* other,
                                                       NSUInteger index) {
  if (!other || !checkRange(NSMakeRange(index, 0), "insertAttributedString:atIndex:")) return;
  // Copy first: other may be the receiver itself.
  std::u16string text(other->utf16());
  replaceRange(NSMakeRange(index, 0), text, other->runsInRange(NSMakeRange(0, text.size())));
}

void NSMutableAttributedString::replaceCharactersInRange(NSRange range, const NSString* text) {
  if (!checkRange(range, "replaceCharactersInRange:withString:")) return;
  std::u16string replacement(text ? text->utf16() : std::u16string_view());
  NSDictionary* attributes = emptyAttributes();
  if (range.length > 0)
    attributes = attributesAtIndex(range.location, nullptr);
  else if (range.location > 0)
    attributes = attributesAtIndex(range.location - 1, nullptr);
  else if (!text_.empty())
    attributes = attributesAtIndex(0, nullptr);
  std::vector<Run> runs;
  if (!replacement.empty()) runs.push_back({replacement.size(), retained(attributes)});
  replaceRange(range, replacement, std::move(runs));
}

void NSMutableAttributedString::deleteCharactersInRange(NSRange range) {
  if (!checkRange(range, "deleteCharactersInRange:")) return;
  replaceRange(range, std::u16string(), {});
}
