#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/rendering/CairoOperator.h"

#include <cmath>

#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSColor.h"

namespace {

// Each thread draws into its own current context, as in AppKit.
thread_local Ref<NSGraphicsContext> currentOfThread;
thread_local std::vector<Ref<NSGraphicsContext>> savedContextsOfThread;

// AppKit's default line width; Cairo's own default is 2.
constexpr double kDefaultLineWidth = 1.0;

} // namespace

NSGraphicsContext* NSGraphicsContext::currentContext() {
  return currentOfThread.get();
}

void NSGraphicsContext::setCurrentContext(NSGraphicsContext* context) {
  currentOfThread = Ref<NSGraphicsContext>(context);
}

void NSGraphicsContext::saveGraphicsState() {
  NSGraphicsContext* context = currentContext();
  savedContextsOfThread.push_back(Ref<NSGraphicsContext>(context));
  if (context) context->saveGState();
}

void NSGraphicsContext::restoreGraphicsState() {
  if (savedContextsOfThread.empty()) return;
  Ref<NSGraphicsContext> context = std::move(savedContextsOfThread.back());
  savedContextsOfThread.pop_back();
  if (context) context->restoreGState();
  setCurrentContext(context.get());
}

void NSGraphicsContext::adopt(cairo_t* cairo, bool flipped) {
  cairo_ = cairo;
  state_.flipped = flipped;
  double dx = 1, dy = 0;
  cairo_user_to_device_distance(cairo_, &dx, &dy);
  scale_ = std::hypot(dx, dy);
  if (scale_ <= 0) scale_ = 1;
  cairo_set_line_width(cairo_, kDefaultLineWidth);
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithCairoSurface(cairo_surface_t* surface,
                                                                      NSSize pointSize,
                                                                      CGFloat scale) {
  if (!surface || scale <= 0) return nullptr;
  cairo_t* cairo = cairo_create(surface);
  // Points to pixels, with y growing upward from the bottom edge.
  cairo_matrix_t flip;
  cairo_matrix_init(&flip, scale, 0, 0, -scale, 0, pointSize.height * scale);
  cairo_set_matrix(cairo, &flip);
  auto* context = NSGraphicsContext::alloc();
  context->adopt(cairo, false);
  return static_cast<NSGraphicsContext*>(context->autorelease());
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithBitmapImageRep(NSBitmapImageRep* bitmap) {
  if (!bitmap || !bitmap->cairoSurface() || bitmap->size().width <= 0) return nullptr;
  CGFloat scale = static_cast<CGFloat>(bitmap->pixelsWide()) / bitmap->size().width;
  return graphicsContextWithCairoSurface(bitmap->cairoSurface(), bitmap->size(), scale);
}

NSGraphicsContext::~NSGraphicsContext() {
  if (cairo_) cairo_destroy(cairo_);
}

void NSGraphicsContext::saveGState() {
  cairo_save(cairo_);
  saved_.push_back(state_);
}

void NSGraphicsContext::restoreGState() {
  if (saved_.empty()) return;
  cairo_restore(cairo_);
  state_ = std::move(saved_.back());
  saved_.pop_back();
}

void NSGraphicsContext::flipWithinHeight(CGFloat height) {
  cairo_translate(cairo_, 0, height);
  cairo_scale(cairo_, 1, -1);
  state_.flipped = !state_.flipped;
}

void NSGraphicsContext::setCompositingOperation(NSCompositingOperation operation) {
  state_.operation = operation;
}

NSColor* NSGraphicsContext::fillColor() const {
  return state_.fill ? state_.fill : NSColor::blackColor();
}

NSColor* NSGraphicsContext::strokeColor() const {
  return state_.stroke ? state_.stroke : NSColor::blackColor();
}

// Colours are immutable, so the context keeps the caller's object.
void NSGraphicsContext::setFillColor(const NSColor* color) {
  state_.fill = retained(const_cast<NSColor*>(color));
}

void NSGraphicsContext::setStrokeColor(const NSColor* color) {
  state_.stroke = retained(const_cast<NSColor*>(color));
}

namespace {
void useColor(cairo_t* cairo, const NSColor* color, NSCompositingOperation operation) {
  NSColor::RGBA rgba = color->displayRGBA();
  cairo_set_source_rgba(cairo, rgba.red, rgba.green, rgba.blue, rgba.alpha);
  cairo_set_operator(cairo, NSCairoOperator(operation));
}
} // namespace

void NSGraphicsContext::useFillColor() {
  useColor(cairo_, fillColor(), state_.operation);
}
void NSGraphicsContext::useStrokeColor() {
  useColor(cairo_, strokeColor(), state_.operation);
}

void NSGraphicsContext::flushGraphics() {
  cairo_surface_flush(cairo_get_target(cairo_));
}

cairo_operator_t NSCairoOperator(NSCompositingOperation operation) {
  switch (operation) {
  case NSCompositingOperationClear:
    return CAIRO_OPERATOR_CLEAR;
  case NSCompositingOperationCopy:
    return CAIRO_OPERATOR_SOURCE;
  case NSCompositingOperationSourceIn:
    return CAIRO_OPERATOR_IN;
  case NSCompositingOperationSourceOut:
    return CAIRO_OPERATOR_OUT;
  case NSCompositingOperationSourceAtop:
    return CAIRO_OPERATOR_ATOP;
  case NSCompositingOperationDestinationOver:
    return CAIRO_OPERATOR_DEST_OVER;
  case NSCompositingOperationDestinationIn:
    return CAIRO_OPERATOR_DEST_IN;
  case NSCompositingOperationDestinationOut:
    return CAIRO_OPERATOR_DEST_OUT;
  case NSCompositingOperationDestinationAtop:
    return CAIRO_OPERATOR_DEST_ATOP;
  case NSCompositingOperationXOR:
    return CAIRO_OPERATOR_XOR;
  case NSCompositingOperationPlusLighter:
    return CAIRO_OPERATOR_ADD;
  case NSCompositingOperationPlusDarker: // no Cairo equivalent; multiply darkens alike
  case NSCompositingOperationMultiply:
    return CAIRO_OPERATOR_MULTIPLY;
  case NSCompositingOperationScreen:
    return CAIRO_OPERATOR_SCREEN;
  case NSCompositingOperationOverlay:
    return CAIRO_OPERATOR_OVERLAY;
  case NSCompositingOperationDarken:
    return CAIRO_OPERATOR_DARKEN;
  case NSCompositingOperationLighten:
    return CAIRO_OPERATOR_LIGHTEN;
  case NSCompositingOperationColorDodge:
    return CAIRO_OPERATOR_COLOR_DODGE;
  case NSCompositingOperationColorBurn:
    return CAIRO_OPERATOR_COLOR_BURN;
  case NSCompositingOperationSoftLight:
    return CAIRO_OPERATOR_SOFT_LIGHT;
  case NSCompositingOperationHardLight:
    return CAIRO_OPERATOR_HARD_LIGHT;
  case NSCompositingOperationDifference:
    return CAIRO_OPERATOR_DIFFERENCE;
  case NSCompositingOperationExclusion:
    return CAIRO_OPERATOR_EXCLUSION;
  case NSCompositingOperationHue:
    return CAIRO_OPERATOR_HSL_HUE;
  case NSCompositingOperationSaturation:
    return CAIRO_OPERATOR_HSL_SATURATION;
  case NSCompositingOperationColor:
    return CAIRO_OPERATOR_HSL_COLOR;
  case NSCompositingOperationLuminosity:
    return CAIRO_OPERATOR_HSL_LUMINOSITY;
  case NSCompositingOperationSourceOver:
    break;
  }
  return CAIRO_OPERATOR_OVER;
}
