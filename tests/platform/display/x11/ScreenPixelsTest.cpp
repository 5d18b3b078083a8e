// What the X server shows of a window is what the headless renderer draws of it: the live
// display draws into the same kind of image and uploads it unchanged.
#include <cairo.h>

#include "LiveDisplayFixture.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/panels/NSAlert.h"
#include "appkit/windows/NSWindowDrawing.h"
#include "testkit/WindowSnapshot.h"

using namespace live_test;

namespace {

// The window's snapshot laid over the colour the live display shows around rounded corners,
// as 0x00RRGGBB pixels.
std::vector<uint32_t> snapshotPixels(NSWindow* window) {
  NSBitmapImageRep* bitmap = NSWindowSnapshotBitmap(window, 1);
  const int width = static_cast<int>(bitmap->pixelsWide());
  const int height = static_cast<int>(bitmap->pixelsHigh());
  cairo_surface_t* flat = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cairo = cairo_create(flat);
  cairo_set_source_rgb(cairo, kDisplayBackground[0], kDisplayBackground[1], kDisplayBackground[2]);
  cairo_paint(cairo);
  cairo_set_source_surface(cairo, bitmap->cairoSurface(), 0, 0);
  cairo_paint(cairo);
  cairo_destroy(cairo);
  cairo_surface_flush(flat);
  std::vector<uint32_t> pixels(static_cast<std::size_t>(width) * height);
  const int stride = cairo_image_surface_get_stride(flat);
  const unsigned char* data = cairo_image_surface_get_data(flat);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column)
      pixels[static_cast<std::size_t>(row) * width + column] =
          reinterpret_cast<const uint32_t*>(data + row * stride)[column] & 0x00ffffff;
  cairo_surface_destroy(flat);
  return pixels;
}

// How many pixels of a picture width pixels wide differ by more than tolerance in any channel.
// The squares of a window's rounded corners (corner pixels wide) are left out: the screen shows
// what lies behind there.
int differingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance,
                    int width, int corner = 10) {
  if (a.size() != b.size() || width <= 0) return -1;
  const int height = static_cast<int>(a.size()) / width;
  int differing = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
    if ((x < corner || x >= width - corner) && (y < corner || y >= height - corner)) continue;
    for (int shift : {0, 8, 16}) {
      const int delta =
          static_cast<int>((a[i] >> shift) & 0xff) - static_cast<int>((b[i] >> shift) & 0xff);
      if (std::abs(delta) > tolerance) {
        ++differing;
        break;
      }
    }
  }
  return differing;
}

} // namespace

TEST_F(LiveDisplayTest, TheScreenShowsWhatTheHeadlessSnapshotShows) {
  NSWindow* window = makeWindow("Pixels", NSMakeRect(240, 180, 460, 280));
  NSView* content = window->contentView();
  Ref<NSButton> button = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(340, 20, 100, 32)));
  button->setTitle(NSSTR("Continue"));
  content->addSubview(button.get());
  NSTextField* label = NSTextField::labelWithString(NSSTR("Live pixels, drawn once"));
  label->setFrame(NSMakeRect(20, 180, 400, 24));
  content->addSubview(label);
  ASSERT_TRUE(waitUntilShown(window));

  const int x = 240, y = 900 - 180 - 280;
  std::vector<uint32_t> expected, shown;
  int differing = -1;
  // The upload follows the display pass; look until the screen shows the window as drawn.
  serveUntil([&] {
    expected = snapshotPixels(window);
    shown = screenshot(x, y, 460, 280);
    differing = differingPixels(expected, shown, 2, 460);
    return differing == 0;
  });
  EXPECT_EQ(differing, 0) << "of " << shown.size() << " pixels";

  // A change redraws the window on the screen too, at the end of the run-loop turn that made it.
  NSRunLoop::mainRunLoop().performAsync([&] { label->setStringValue(NSSTR("Changed")); });
  serveUntil([&] {
    expected = snapshotPixels(window);
    shown = screenshot(x, y, 460, 280);
    differing = differingPixels(expected, shown, 2, 460);
    return differing == 0;
  });
  EXPECT_EQ(differing, 0) << "of " << shown.size() << " pixels after the change";
}

TEST_F(LiveDisplayTest, TheScreenShowsAnAlertAsItsHeadlessSnapshotDoes) {
  NSWindow* owner = makeWindow("Document", NSMakeRect(200, 150, 700, 500));
  ASSERT_TRUE(waitUntilShown(owner));
  Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
  alert->setMessageText(NSSTR("Save the changes to the document?"));
  alert->setInformativeText(NSSTR("Your changes are lost if you don't save them."));
  alert->addButtonWithTitle(NSSTR("Save"));
  alert->addButtonWithTitle(NSSTR("Cancel"));
  int differing = -1;
  std::size_t compared = 0;
  // Compared while the alert's modal loop runs, then ended from there.
  NSRunLoop::mainRunLoop().performAsync([&] {
    NSWindow* panel = alert->window();
    const NSRect frame = panel->frame();
    const int x = static_cast<int>(std::lround(frame.origin.x));
    const int y = static_cast<int>(std::lround(display->screenFrame().size.height - NSMaxY(frame)));
    const int width = static_cast<int>(std::lround(frame.size.width));
    const int height = static_cast<int>(std::lround(frame.size.height));
    serveUntil([&] {
      const std::vector<uint32_t> shown = screenshot(x, y, width, height);
      compared = shown.size();
      differing = differingPixels(snapshotPixels(panel), shown, 2, width);
      return differing == 0;
    });
    app->abortModal();
  });
  alert->runModal();
  EXPECT_GT(compared, 0u);
  EXPECT_EQ(differing, 0) << "of " << compared << " pixels";
}

TEST_F(LiveDisplayTest, AChangeUploadsOnlyTheViewThatChanged) {
  NSWindow* window = makeWindow("Partial", NSMakeRect(240, 180, 460, 280));
  NSTextField* label = NSTextField::labelWithString(NSSTR("Before"));
  label->setFrame(NSMakeRect(20, 180, 200, 24));
  window->contentView()->addSubview(label);
  ASSERT_TRUE(waitUntilShown(window));
  const int x = 240, y = 900 - 180 - 280;
  int differing = -1;
  serveUntil([&] {
    differing = differingPixels(snapshotPixels(window), screenshot(x, y, 460, 280), 2, 460);
    return differing == 0;
  });
  ASSERT_EQ(differing, 0);

  // Another program paints a square on the window, away from the label; an upload of the whole
  // window would paint over it.
  const xcb_window_t id = display->xWindowOf(window->windowNumber());
  const xcb_gcontext_t gc = xcb_generate_id(connection);
  const uint32_t red = 0xff0000;
  xcb_create_gc(connection, gc, id, XCB_GC_FOREGROUND, &red);
  const xcb_rectangle_t square{300, 200, 20, 20};
  xcb_poly_fill_rectangle(connection, id, gc, 1, &square);
  xcb_free_gc(connection, gc);
  xcb_flush(connection);
  ASSERT_TRUE(serveUntil([&] { return screenshot(x + 300, y + 200, 20, 20)[0] == red; }));

  NSRunLoop::mainRunLoop().performAsync([&] { label->setStringValue(NSSTR("After")); });
  // The label's rectangle on screen: x 20..220, y (from the top) 280 - 204 .. 280 - 180.
  const NSRect inWindow = label->convertRectToView(label->bounds(), nullptr);
  const int labelX = static_cast<int>(inWindow.origin.x);
  const int labelY = static_cast<int>(280 - NSMaxY(inWindow));
  auto labelPixels = [&](const std::vector<uint32_t>& all) {
    std::vector<uint32_t> part;
    for (int row = labelY; row < labelY + 24; ++row)
      for (int column = labelX; column < labelX + 200; ++column)
        part.push_back(all[static_cast<std::size_t>(row) * 460 + column]);
    return part;
  };
  EXPECT_TRUE(serveUntil([&] {
    return differingPixels(labelPixels(snapshotPixels(window)),
                           labelPixels(screenshot(x, y, 460, 280)), 2, 200, 0) == 0;
  })) << "the label shows its new text";
  const std::vector<uint32_t> square2 = screenshot(x + 300, y + 200, 20, 20);
  EXPECT_EQ(std::count(square2.begin(), square2.end(), red), 400) << "nothing else was uploaded";
}
