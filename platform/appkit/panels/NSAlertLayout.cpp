// NSAlert: the layout of its panel, after the classic macOS alert. The icon sits at the top
// left; the bold message and the smaller informative text fill a column to its right, the
// accessory view follows below them, and the buttons stand in a row at the bottom right, the
// first button rightmost. A third button goes to the far left of the row, as "Don't Save" does.
#include <algorithm>
#include <cmath>
#include <vector>

#include "appkit/controls/NSImageView.h"
#include "appkit/panels/NSAlert.h"
#include "appkit/rendering/TextLayout.h"

namespace {

constexpr CGFloat kPanelWidth = 420;
constexpr CGFloat kIconSize = 64;
// The application's icon as a badge on the caution sign of a critical alert.
constexpr CGFloat kBadgeSize = 32;
// From the panel's top edge to the icon and to the message.
constexpr CGFloat kTopMargin = 16;
// From the panel's left edge to the icon, and from the icon to the text column.
constexpr CGFloat kIconLeft = 24;
constexpr CGFloat kIconTextGap = 16;
constexpr CGFloat kTextRight = 20;
// Between the message and the informative text, and before the accessory view.
constexpr CGFloat kMessageGap = 6;
constexpr CGFloat kAccessoryGap = 10;
// The button row: frames 32 points high (the bezel is drawn inside), 12 points from the bottom
// and 14 from the right edge; frames touch, so the bezels stand 12 points apart.
constexpr CGFloat kButtonHeight = 32;
constexpr CGFloat kButtonBottom = 12;
constexpr CGFloat kButtonRight = 14;
constexpr CGFloat kButtonMinWidth = 94;
// A longer title is cut off inside its bezel, so that three buttons always fit on the screen.
constexpr CGFloat kButtonMaxWidth = 400;
// The least room between a third button at the left and the two at the right.
constexpr CGFloat kButtonApartGap = 12;
// Between the content above and the button row.
constexpr CGFloat kButtonRowGap = 14;

constexpr CGFloat kMessageFontSize = 13;
constexpr CGFloat kInformativeFontSize = 11;

CGFloat textHeight(const NSString* text, NSFont* font, CGFloat width) {
  if (text->length() == 0) return 0;
  TextLayout layout(text, font, nullptr);
  layout.setWidth(width);
  return std::ceil(layout.size().height);
}

NSTextField* makeLabel(NSFont* font) {
  NSTextField* label = NSTextField::alloc()->initWithFrame(NSZeroRect);
  label->setBezeled(false);
  label->setDrawsBackground(false);
  label->setEditable(false);
  label->setSelectable(false);
  label->setFont(font);
  return label;
}

} // namespace

void NSAlert::layout() {
  if (!iconView_) {
    iconView_ = adopted(NSImageView::alloc()->initWithFrame(NSZeroRect));
    iconView_->setImageScaling(NSImageScaleProportionallyUpOrDown);
    messageField_ = adopted(makeLabel(NSFont::boldSystemFontOfSize(kMessageFontSize)));
    informativeField_ = adopted(makeLabel(NSFont::systemFontOfSize(kInformativeFontSize)));
  }
  // A critical alert shows the caution sign, badged with its own icon at the lower right.
  const bool critical = style_ == NSAlertStyleCritical;
  NSImage* caution = critical ? NSImage::imageNamed(NSImageNameCaution) : nullptr;
  iconView_->setImage(caution ? caution : icon());
  if (caution && !badgeView_) {
    badgeView_ = adopted(NSImageView::alloc()->initWithFrame(NSZeroRect));
    badgeView_->setImageScaling(NSImageScaleProportionallyUpOrDown);
  }
  if (badgeView_) {
    badgeView_->setImage(icon());
    badgeView_->setHidden(!caution);
  }
  messageField_->setStringValue(messageText_);
  informativeField_->setStringValue(informativeText_);

  const CGFloat textX = kIconLeft + kIconSize + kIconTextGap;
  const CGFloat textWidth = kPanelWidth - textX - kTextRight;
  const CGFloat messageHeight = textHeight(messageText_, messageField_->font(), textWidth - 4);
  const CGFloat informativeHeight =
      textHeight(informativeText_, informativeField_->font(), textWidth - 4);

  // Heights measured from the top edge, then turned into frames from the bottom once the
  // panel's height is known.
  CGFloat textBottom = kTopMargin + messageHeight;
  const CGFloat informativeTop = textBottom + (informativeHeight > 0 ? kMessageGap : 0);
  textBottom = informativeTop + informativeHeight;
  const NSSize accessorySize = accessoryView_ ? accessoryView_->frame().size : NSZeroSize;
  const CGFloat accessoryTop = textBottom + (accessoryView_ ? kAccessoryGap : 0);
  const CGFloat contentBottom =
      std::max(kTopMargin + kIconSize, accessoryTop + accessorySize.height);
  const CGFloat height = contentBottom + kButtonRowGap + kButtonHeight + kButtonBottom;
  // The panel grows for long button titles, so that every button stays inside it.
  std::vector<CGFloat> buttonWidths;
  for (const auto& button : buttons_)
    buttonWidths.push_back(std::clamp(std::ceil(button->intrinsicContentSize().width),
                                      kButtonMinWidth, kButtonMaxWidth));
  const bool thirdApart = buttons_.size() == 3;
  CGFloat rowWidth = 2 * kButtonRight;
  for (std::size_t index = 0; index < buttonWidths.size(); ++index)
    rowWidth += buttonWidths[index];
  if (thirdApart) rowWidth += textX - 6 - kButtonRight + kButtonApartGap;
  const CGFloat width = std::max({kPanelWidth, textX + accessorySize.width + kTextRight, rowWidth});

  NSRect frame = panel_->frame();
  panel_->setFrame(NSMakeRect(frame.origin.x, NSMaxY(frame) - height, width, height), false);
  NSView* content = panel_->contentView();
  auto place = [&](NSView* view, CGFloat x, CGFloat top, CGFloat w, CGFloat h) {
    view->setFrame(NSMakeRect(x, height - top - h, w, h));
    if (view->superview() != content) content->addSubview(view);
  };
  place(iconView_, kIconLeft, kTopMargin, kIconSize, kIconSize);
  if (badgeView_)
    place(badgeView_, kIconLeft + kIconSize - kBadgeSize, kTopMargin + kIconSize - kBadgeSize,
          kBadgeSize, kBadgeSize);
  place(messageField_, textX, kTopMargin, textWidth, messageHeight);
  place(informativeField_, textX, informativeTop, textWidth, informativeHeight);
  informativeField_->setHidden(informativeHeight == 0);
  if (accessoryView_)
    place(accessoryView_, textX, accessoryTop, accessorySize.width, accessorySize.height);

  CGFloat right = width - kButtonRight;
  for (std::size_t index = 0; index < buttons_.size(); ++index) {
    NSButton* button = buttons_[index];
    const CGFloat buttonWidth = buttonWidths[index];
    CGFloat x = right - buttonWidth;
    // A third button of three stands apart at the left, aligned with the text column.
    if (index == 2 && buttons_.size() == 3) x = textX - 6;
    button->setFrame(NSMakeRect(x, kButtonBottom, buttonWidth, kButtonHeight));
    if (button->superview() != content) content->addSubview(button);
    right = x;
  }
}
