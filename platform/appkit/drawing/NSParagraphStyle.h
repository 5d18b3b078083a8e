// NSParagraphStyle: how the lines of a text are aligned and broken. Immutable; the mutable
// subclass sets its fields. Used as the value of NSParagraphStyleAttributeName.
#pragma once

#include "foundation/values/NSGeometry.h"

// AppKit's values on macOS (right is 1, centre 2).
enum NSTextAlignment : NSInteger {
  NSTextAlignmentLeft = 0,
  NSTextAlignmentRight = 1,
  NSTextAlignmentCenter = 2,
  NSTextAlignmentJustified = 3,
  NSTextAlignmentNatural = 4,
};

enum NSLineBreakMode : NSUInteger {
  NSLineBreakByWordWrapping = 0,
  NSLineBreakByCharWrapping = 1,
  NSLineBreakByClipping = 2,
  NSLineBreakByTruncatingHead = 3,
  NSLineBreakByTruncatingTail = 4,
  NSLineBreakByTruncatingMiddle = 5,
};

class NSParagraphStyle : public NSObject {
  NS_OBJECT_CLASS(NSParagraphStyle)

  NSTextAlignment alignment() const { return alignment_; }
  NSLineBreakMode lineBreakMode() const { return lineBreakMode_; }
  CGFloat lineSpacing() const { return lineSpacing_; }

  bool isEqual(const NSObject* other) const override;
  std::size_t hash() const override;
  NSString* description() const override;

protected:
  NSTextAlignment alignment_ = NSTextAlignmentNatural;
  NSLineBreakMode lineBreakMode_ = NSLineBreakByWordWrapping;
  CGFloat lineSpacing_ = 0;
};

class NSMutableParagraphStyle : public NSParagraphStyle {
  NS_OBJECT_CLASS(NSMutableParagraphStyle)

  static NSMutableParagraphStyle* paragraphStyle(); // autoreleased, default values
  void setAlignment(NSTextAlignment alignment) { alignment_ = alignment; }
  void setLineBreakMode(NSLineBreakMode mode) { lineBreakMode_ = mode; }
  void setLineSpacing(CGFloat spacing) { lineSpacing_ = spacing; }
};
