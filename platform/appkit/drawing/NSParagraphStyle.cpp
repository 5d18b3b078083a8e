#include "appkit/drawing/NSParagraphStyle.h"

#include <functional>

bool NSParagraphStyle::isEqual(const NSObject* other) const {
  const auto* style = ns_cast<NSParagraphStyle>(other);
  return style && style->alignment_ == alignment_ && style->lineBreakMode_ == lineBreakMode_ &&
         style->lineSpacing_ == lineSpacing_;
}

std::size_t NSParagraphStyle::hash() const {
  return static_cast<std::size_t>(alignment_) * 31 + static_cast<std::size_t>(lineBreakMode_) +
         std::hash<CGFloat>{}(lineSpacing_);
}

NSString* NSParagraphStyle::description() const {
  return NSString::stringWithFormat("Alignment %ld, LineSpacing %g, LineBreakMode %lu",
                                    static_cast<long>(alignment_), lineSpacing_,
                                    static_cast<unsigned long>(lineBreakMode_));
}

NSMutableParagraphStyle* NSMutableParagraphStyle::paragraphStyle() {
  return static_cast<NSMutableParagraphStyle*>(NSMutableParagraphStyle::alloc()->autorelease());
}
