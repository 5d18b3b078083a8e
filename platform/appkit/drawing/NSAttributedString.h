// NSAttributedString and NSMutableAttributedString: text with attributes over UTF-16 ranges.
//
// Attributes are kept as runs: consecutive ranges that share one dictionary. Neighbouring runs
// with equal dictionaries are merged after every change, so the effective range that
// attributesAtIndex reports is the longest range with those attributes. A range that reaches
// past the end is a mistake that Foundation raises for; we never throw, so it is logged and the
// call does nothing.
//
// Drawing lays the text out with Pango (see TextLayout.h): the font, foreground colour, kern,
// background colour, underline and paragraph style attributes are honoured. Text without a font
// attribute uses the system font at 12 points, text without a colour black.
#pragma once

#include <functional>
#include <vector>

#include "foundation/collections/NSDictionary.h"
#include "foundation/values/NSGeometry.h"

extern NSString* const NSFontAttributeName;            // NSFont
extern NSString* const NSForegroundColorAttributeName; // NSColor
extern NSString* const NSBackgroundColorAttributeName; // NSColor
extern NSString* const NSKernAttributeName;           // NSNumber, points added after each character
extern NSString* const NSUnderlineStyleAttributeName; // NSNumber, 0 none, 1 single
extern NSString* const NSParagraphStyleAttributeName; // NSParagraphStyle

class NSAttributedString : public NSObject {
  NS_OBJECT_CLASS(NSAttributedString)

  // nil text gives the empty string (Foundation would raise).
  NSAttributedString* initWithString(const NSString* text);
  NSAttributedString* initWithString(const NSString* text, const NSDictionary* attributes);

  // The characters, as an autoreleased immutable copy.
  NSString* string() const;
  const std::u16string& utf16() const { return text_; }
  NSUInteger length() const { return text_.size(); }

  // The attributes at a character (never nil inside the text) and, if asked, the longest range
  // around it that has them. nil past the end.
  NSDictionary* attributesAtIndex(NSUInteger index, NSRange* effectiveRange) const;
  NSObject* attributeAtIndex(const NSString* name, NSUInteger index, NSRange* effectiveRange) const;
  // Calls the block for each run inside the range, clipped to it, in order; *stop = true ends.
  void enumerateAttributesInRange(
      NSRange range, const std::function<void(NSDictionary*, NSRange, bool* stop)>& block) const;
  bool isEqualToAttributedString(const NSAttributedString* other) const;

  // The size of the laid-out text in points, with kerning after each character.
  NSSize size() const;
  // Draws one line per paragraph with the lower-left corner of the text's box at the point
  // (the upper-left in a flipped context), in the current graphics context.
  void drawAtPoint(NSPoint point) const;

  // Foundation's form: each run as its text followed by its attributes in braces.
  NSString* description() const override;
  bool isEqual(const NSObject* other) const override;
  std::size_t hash() const override;

protected:
  friend class NSMutableAttributedString; // reads the runs of other strings

  struct Run {
    NSUInteger length;
    Ref<NSDictionary> attributes; // never nil
  };
  std::u16string text_;
  std::vector<Run> runs_;

  bool checkRange(NSRange range, const char* selector) const;
  // The run that holds index and where it starts; runs_.size() past the end.
  std::size_t runAt(NSUInteger index, NSUInteger* runStart) const;
  // Makes index a run boundary (no-op at 0, at the end or at a boundary already).
  void splitAt(NSUInteger index);
  void mergeRuns();
  void replaceRange(NSRange range, const std::u16string& text, std::vector<Run> runs);
  std::vector<Run> runsInRange(NSRange range) const;
};

class NSMutableAttributedString : public NSAttributedString {
  NS_OBJECT_CLASS(NSMutableAttributedString)

  void addAttribute(const NSString* name, NSObject* value, NSRange range);
  void addAttributes(const NSDictionary* attributes, NSRange range);
  // Replaces all attributes in the range; nil means none.
  void setAttributes(const NSDictionary* attributes, NSRange range);

  void appendAttributedString(const NSAttributedString* other);
  void insertAttributedString(const NSAttributedString* other, NSUInteger index);
  // New characters take the attributes of the first replaced character, or of the one before
  // the range when it is empty (of the first character at index 0), as Foundation does.
  void replaceCharactersInRange(NSRange range, const NSString* text);
  void deleteCharactersInRange(NSRange range);
};
