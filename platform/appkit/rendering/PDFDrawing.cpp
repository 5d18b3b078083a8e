#include "appkit/rendering/PDFDrawing.h"

#include <cairo-pdf.h>

#include <vector>

#include "appkit/drawing/NSGraphicsContext.h"

namespace {

cairo_status_t appendToVector(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

} // namespace

NSData* NSDataFromPDFDrawing(NSRect rect, const std::function<void(NSRect rect)>& draw) {
  if (NSIsEmptyRect(rect)) return nullptr;
  std::vector<uint8_t> bytes;
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(appendToVector, &bytes,
                                                                 rect.size.width, rect.size.height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "libbrixplatform");
  NSGraphicsContext* context =
      NSGraphicsContext::graphicsContextWithCairoSurface(surface, rect.size, 1);
  cairo_translate(context->cairo(), -rect.origin.x, -rect.origin.y);
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext::setCurrentContext(context);
  if (draw) draw(rect);
  NSGraphicsContext::restoreGraphicsState();
  // The context's cairo_t keeps the surface alive until the autorelease pool drains, so the
  // document is finished explicitly before its bytes are taken.
  cairo_surface_finish(surface);
  cairo_status_t status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) return nullptr;
  return NSData::dataWithVector(std::move(bytes));
}
