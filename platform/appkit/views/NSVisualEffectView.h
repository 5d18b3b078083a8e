// NSVisualEffectView: a view that shows a translucent, blurred material behind its subviews.
// It becomes layer-backed when it enters a window, as AppKit's does, so its subviews are
// layer-backed too. Its look is in appkit/look.
#pragma once

#include "appkit/views/NSView.h"

enum NSVisualEffectMaterial : NSInteger {
  NSVisualEffectMaterialAppearanceBased = 0,
  NSVisualEffectMaterialLight = 1,
  NSVisualEffectMaterialDark = 2,
  NSVisualEffectMaterialTitlebar = 3,
  NSVisualEffectMaterialSelection = 4,
  NSVisualEffectMaterialMenu = 5,
  NSVisualEffectMaterialPopover = 6,
  NSVisualEffectMaterialSidebar = 7,
  NSVisualEffectMaterialHeaderView = 10,
  NSVisualEffectMaterialSheet = 11,
  NSVisualEffectMaterialWindowBackground = 12,
  NSVisualEffectMaterialHUDWindow = 13,
  NSVisualEffectMaterialFullScreenUI = 15,
  NSVisualEffectMaterialToolTip = 17,
  NSVisualEffectMaterialContentBackground = 18,
  NSVisualEffectMaterialUnderWindowBackground = 21,
  NSVisualEffectMaterialUnderPageBackground = 22,
};

enum NSVisualEffectBlendingMode : NSInteger {
  NSVisualEffectBlendingModeBehindWindow = 0,
  NSVisualEffectBlendingModeWithinWindow = 1,
};

enum NSVisualEffectState : NSInteger {
  NSVisualEffectStateFollowsWindowActiveState = 0,
  NSVisualEffectStateActive = 1,
  NSVisualEffectStateInactive = 2,
};

class NSVisualEffectView : public NSView {
  NS_OBJECT_CLASS(NSVisualEffectView)

  NSVisualEffectView* initWithFrame(NSRect frame) override;
  NSVisualEffectView* init() { return initWithFrame(NSZeroRect); }

  NSVisualEffectMaterial material() const { return material_; }
  void setMaterial(NSVisualEffectMaterial material);
  NSVisualEffectBlendingMode blendingMode() const { return blendingMode_; }
  void setBlendingMode(NSVisualEffectBlendingMode mode);
  NSVisualEffectState state() const { return state_; }
  void setState(NSVisualEffectState state);
  bool isEmphasized() const { return emphasized_; }
  void setEmphasized(bool flag) { emphasized_ = flag; }

  void viewDidMoveToWindow() override;
  void drawRect(NSRect dirtyRect) override;
  void describeFields(JsonWriter& json) const override;

private:
  NSVisualEffectMaterial material_ = NSVisualEffectMaterialAppearanceBased;
  NSVisualEffectBlendingMode blendingMode_ = NSVisualEffectBlendingModeBehindWindow;
  NSVisualEffectState state_ = NSVisualEffectStateFollowsWindowActiveState;
  bool emphasized_ = false;
};
