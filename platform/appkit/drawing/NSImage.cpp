#include "appkit/drawing/NSImage.h"

#include <poppler.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/rendering/ImageDecoding.h"
#include "foundation/system/NSBundle.h"
#include "foundation/system/NSLog.h"

NSString* const NSImageNameApplicationIcon = NSString::alloc()->initWithUTF16(u"NSApplicationIcon");
NSString* const NSImageNameCaution = NSString::alloc()->initWithUTF16(u"NSCaution");

namespace {

std::mutex focusScaleMutex;
CGFloat focusBackingScale = 1;

// MARK: bundle lookup

// The icon file named by the bundle's Info.plist, else the bundle's first .icns resource.
NSString* applicationIconFile() {
  NSBundle* bundle = NSBundle::mainBundle();
  if (!bundle) return nullptr;
  std::ifstream plist(std::filesystem::path(bundle->bundlePath()->utf8()) / "Contents" /
                      "Info.plist");
  if (plist) {
    std::stringstream text;
    text << plist.rdbuf();
    std::string content = text.str();
    auto key = content.find("<key>CFBundleIconFile</key>");
    auto open = content.find("<string>", key == std::string::npos ? content.size() : key);
    auto close = content.find("</string>", open == std::string::npos ? content.size() : open);
    if (key != std::string::npos && open != std::string::npos && close != std::string::npos) {
      std::filesystem::path file = content.substr(open + 8, close - open - 8);
      NSString* type = NSSTR(file.has_extension() ? file.extension().string().substr(1) : "icns");
      if (NSString* path = bundle->pathForResource(NSSTR(file.stem().string()), type)) return path;
    }
  }
  return bundle->pathForResource(nullptr, NSSTR("icns"));
}

// The resource of that name: as it stands when it has an extension, else as png, icns or pdf.
NSString* resourceFile(const NSString* name) {
  NSBundle* bundle = NSBundle::mainBundle();
  if (!bundle) return nullptr;
  if (std::filesystem::path(name->utf8()).has_extension())
    if (NSString* path = bundle->pathForResource(name, nullptr)) return path;
  for (const char* type : {"png", "icns", "pdf"})
    if (NSString* path = bundle->pathForResource(name, NSSTR(type))) return path;
  return nullptr;
}

// An image of 64 points drawn by draw at twice that many pixels, in points (origin top left).
template <class Draw> NSImage* drawnImage(Draw draw) {
  constexpr CGFloat kSize = 64, kScale = 2;
  NSBitmapImageRep* bitmap =
      NSBitmapImageRep::alloc()->initWithPixelsWide(kSize * kScale, kSize * kScale);
  cairo_t* cairo = cairo_create(bitmap->cairoSurface());
  cairo_scale(cairo, kScale, kScale);
  draw(cairo);
  cairo_destroy(cairo);
  cairo_surface_mark_dirty(bitmap->cairoSurface());
  bitmap->setSize(NSMakeSize(kSize, kSize));
  NSImage* image = NSImage::alloc()->initWithSize(NSMakeSize(kSize, kSize));
  image->addRepresentation(bitmap);
  bitmap->release();
  return image;
}

// Makes a gradient from top (at y0) down to bottom (at y1) the source; the source keeps it alive.
void setVerticalGradient(cairo_t* cairo, double y0, double y1, std::array<double, 3> top,
                         std::array<double, 3> bottom) {
  cairo_pattern_t* fill = cairo_pattern_create_linear(0, y0, 0, y1);
  cairo_pattern_add_color_stop_rgb(fill, 0, top[0], top[1], top[2]);
  cairo_pattern_add_color_stop_rgb(fill, 1, bottom[0], bottom[1], bottom[2]);
  cairo_set_source(cairo, fill);
  cairo_pattern_destroy(fill);
}

// A warning triangle with an exclamation mark, drawn once at 64 points.
NSImage* cautionImage() {
  return drawnImage([](cairo_t* cairo) {
    // The triangle, corners rounded by a thick round-joined stroke of the same colour.
    cairo_move_to(cairo, 32, 8);
    cairo_line_to(cairo, 58, 54);
    cairo_line_to(cairo, 6, 54);
    cairo_close_path(cairo);
    cairo_set_line_join(cairo, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cairo, 6);
    setVerticalGradient(cairo, 6, 58, {1.0, 0.84, 0.26}, {0.98, 0.71, 0.07});
    cairo_fill_preserve(cairo);
    cairo_stroke(cairo);
    // The mark: a bar and a dot.
    cairo_set_source_rgb(cairo, 0.25, 0.22, 0.16);
    cairo_set_line_cap(cairo, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cairo, 5.5);
    cairo_move_to(cairo, 32, 24);
    cairo_line_to(cairo, 32, 40);
    cairo_stroke(cairo);
    cairo_arc(cairo, 32, 48, 3.2, 0, 2 * M_PI);
    cairo_fill(cairo);
  });
}

// What an application without an icon of its own shows, as a desktop's generic application icon
// does: a blue tile holding a window.
NSImage* genericApplicationIcon() {
  return drawnImage([](cairo_t* cairo) {
    const auto roundedRect = [cairo](double x, double y, double width, double height, double r) {
      cairo_new_sub_path(cairo);
      cairo_arc(cairo, x + width - r, y + r, r, -M_PI / 2, 0);
      cairo_arc(cairo, x + width - r, y + height - r, r, 0, M_PI / 2);
      cairo_arc(cairo, x + r, y + height - r, r, M_PI / 2, M_PI);
      cairo_arc(cairo, x + r, y + r, r, M_PI, 3 * M_PI / 2);
      cairo_close_path(cairo);
    };
    roundedRect(4, 4, 56, 56, 12);
    setVerticalGradient(cairo, 4, 60, {0.36, 0.62, 0.96}, {0.12, 0.40, 0.84});
    cairo_fill(cairo);
    // The window: a white pane under a lighter title bar.
    roundedRect(14, 17, 36, 30, 3);
    cairo_set_source_rgb(cairo, 1, 1, 1);
    cairo_fill(cairo);
    cairo_rectangle(cairo, 14, 23, 36, 2);
    cairo_set_source_rgb(cairo, 0.12, 0.40, 0.84);
    cairo_fill(cairo);
  });
}

} // namespace

// MARK: creation

NSImage* NSImage::imageNamed(const NSString* name) {
  if (!name || name->length() == 0) return nullptr;
  static std::mutex mutex;
  static auto* cache = new std::map<std::string, NSImage*>(); // immortal, like its images
  std::string key = name->utf8();
  std::lock_guard lock(mutex);
  if (auto found = cache->find(key); found != cache->end()) return found->second;
  NSImage* image = nullptr;
  if (name->isEqualToString(NSImageNameCaution)) {
    image = cautionImage();
  } else {
    NSString* file = name->isEqualToString(NSImageNameApplicationIcon) ? applicationIconFile()
                                                                       : resourceFile(name);
    if (file) image = NSImage::alloc()->initWithContentsOfFile(file);
    // Never an empty square where the application's icon belongs.
    if (!image && name->isEqualToString(NSImageNameApplicationIcon)) {
      image = genericApplicationIcon();
      image->sourceName_ = retained(NSImageNameApplicationIcon);
    }
  }
  // Only found images are remembered: a resource added later can still be found.
  if (image) cache->emplace(key, image);
  return image;
}

NSImage* NSImage::fail() {
  release();
  return nullptr;
}

NSImage* NSImage::initWithContentsOfFile(const NSString* path) {
  if (!path) return fail();
  NSData* data = NSData::dataWithContentsOfFile(path);
  if (!data || !loadData(data->bytes(), data->length())) return fail();
  std::string file = std::filesystem::path(path->utf8()).filename().string();
  sourceName_ = retained(NSString::stringWithUTF8String(file.c_str()));
  return this;
}

NSImage* NSImage::initWithData(const NSData* data) {
  if (!data || !loadData(data->bytes(), data->length())) return fail();
  return this;
}

NSImage* NSImage::initWithSize(NSSize size) {
  size_ = size;
  return this;
}

bool NSImage::loadData(const uint8_t* bytes, std::size_t length) {
  std::span<const uint8_t> span(bytes, length);
  switch (NSSniffImageFormat(span)) {
  case NSImageFormat::PNG:
  case NSImageFormat::ICNS: {
    std::vector<cairo_surface_t*> surfaces;
    if (NSSniffImageFormat(span) == NSImageFormat::PNG) {
      if (cairo_surface_t* surface = NSDecodePNG(span)) surfaces.push_back(surface);
    } else {
      surfaces = NSDecodeICNS(span);
    }
    double pixelsPerPoint =
        NSSniffImageFormat(span) == NSImageFormat::PNG ? NSPNGPixelsPerPoint(span) : 1;
    for (cairo_surface_t* surface : surfaces) {
      NSSize points = NSMakeSize(cairo_image_surface_get_width(surface) / pixelsPerPoint,
                                 cairo_image_surface_get_height(surface) / pixelsPerPoint);
      if (NSBitmapImageRep* bitmap =
              NSBitmapImageRep::alloc()->initWithCairoSurface(surface, points)) {
        addRepresentation(bitmap);
        bitmap->release();
      }
      cairo_surface_destroy(surface);
    }
    if (!bitmaps_.empty()) size_ = bitmaps_.front()->size();
    return !bitmaps_.empty();
  }
  case NSImageFormat::PDF: {
    GBytes* copy = g_bytes_new(bytes, length);
    GError* error = nullptr;
    pdfDocument_ = poppler_document_new_from_bytes(copy, nullptr, &error);
    g_bytes_unref(copy);
    if (error) g_error_free(error);
    if (!pdfDocument_ || poppler_document_get_n_pages(pdfDocument_) < 1) return false;
    pdfPage_ = poppler_document_get_page(pdfDocument_, 0);
    if (!pdfPage_) return false;
    double width = 0, height = 0;
    poppler_page_get_size(pdfPage_, &width, &height);
    size_ = NSMakeSize(width, height);
    return true;
  }
  case NSImageFormat::Unknown:
    break;
  }
  return false;
}

NSImage::~NSImage() {
  clearRepresentations();
}

void NSImage::clearRepresentations() {
  bitmaps_.clear();
  if (pdfPage_) g_object_unref(pdfPage_);
  if (pdfDocument_) g_object_unref(pdfDocument_);
  pdfPage_ = nullptr;
  pdfDocument_ = nullptr;
}

NSString* NSImage::sourceName() const {
  return sourceName_;
}

void NSImage::addRepresentation(NSBitmapImageRep* bitmap) {
  if (!bitmap) return;
  auto at = std::find_if(bitmaps_.begin(), bitmaps_.end(), [&](const auto& other) {
    return other->pixelsWide() < bitmap->pixelsWide();
  });
  bitmaps_.insert(at, retained(bitmap));
}

NSUInteger NSImage::representationCount() const {
  return bitmaps_.size() + (pdfPage_ ? 1 : 0);
}

const NSBitmapImageRep* NSImage::bestBitmap(double devicePixelsWide) const {
  // bitmaps_ is largest first: the last one still wide enough is the smallest that covers.
  const NSBitmapImageRep* best = bitmaps_.empty() ? nullptr : bitmaps_.front().get();
  for (const NSBitmapImageRep* bitmap : bitmaps_)
    if (bitmap->pixelsWide() + 1e-6 >= devicePixelsWide) best = bitmap;
  return best;
}

NSString* NSImage::description() const {
  return NSString::stringWithFormat("<NSImage %p Size={%g, %g} Representations=%lu Source=%@>",
                                    this, size_.width, size_.height,
                                    static_cast<unsigned long>(representationCount()),
                                    sourceName_ ? sourceName_.get() : NSSTR("(none)"));
}

// MARK: focus

void NSImage::setFocusBackingScale(CGFloat scale) {
  std::lock_guard lock(focusScaleMutex);
  focusBackingScale = scale > 0 ? scale : 1;
}

void NSImage::lockFocus() {
  if (focusDepth_ > 0) {
    ++focusDepth_;
    return;
  }
  CGFloat scale;
  {
    std::lock_guard lock(focusScaleMutex);
    scale = focusBackingScale;
  }
  auto pixelsWide = static_cast<NSInteger>(std::ceil(size_.width * scale));
  auto pixelsHigh = static_cast<NSInteger>(std::ceil(size_.height * scale));
  NSBitmapImageRep* bitmap =
      pixelsWide > 0 && pixelsHigh > 0
          ? NSBitmapImageRep::alloc()->initWithPixelsWide(pixelsWide, pixelsHigh)
          : nullptr;
  if (!bitmap) {
    NSLog("*** -[NSImage lockFocus]: Cannot lock focus on image %@, because it is size zero.",
          this);
    ++refusedFocus_;
    return;
  }
  bitmap->setSize(size_);
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext::setCurrentContext(
      NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap));
  drawInRect(NSMakeRect(0, 0, size_.width, size_.height));
  focusBitmap_ = adopted(bitmap);
  focusDepth_ = 1;
}

void NSImage::unlockFocus() {
  if (refusedFocus_ > 0 && focusDepth_ == 0) {
    --refusedFocus_;
    return;
  }
  if (focusDepth_ == 0 || --focusDepth_ > 0) return;
  if (NSGraphicsContext* context = NSGraphicsContext::currentContext()) context->flushGraphics();
  NSGraphicsContext::restoreGraphicsState();
  // What was drawn becomes the image's only representation.
  clearRepresentations();
  addRepresentation(focusBitmap_);
  focusBitmap_ = nullptr;
}
