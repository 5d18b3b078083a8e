// What the testkit's screen description says about controls and alerts: every field that the
// testkit's VIEW and "alert" objects list, with the control's current values.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSImageView.h"
#include "appkit/controls/NSProgressIndicator.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/panels/NSAlert.h"
#include "foundation/json/JsonWriter.h"
#include "foundation/runtime/NSAutoreleasePool.h"

using namespace controls_test;

namespace {

std::string described(NSView* view) {
  JsonWriter json;
  view->describe(json);
  return json.text();
}

void expectContains(const std::string& text, std::initializer_list<const char*> parts) {
  for (const char* part : parts)
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

} // namespace

TEST(ControlDescription, FieldsButtonsProgressAndImageViews) {
  NSAutoreleasePool pool;
  Ref<ActionRecorder> recorder = adopted(ActionRecorder::alloc());
  Ref<NSTextField> label =
      adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(20, 20, 360, 140)));
  label->setStringValue(NSSTR("Title \"1\""));
  label->setBezeled(false);
  label->setEditable(false);
  label->setSelectable(false);
  label->setFont(NSFont::boldSystemFontOfSize(13));
  expectContains(described(label),
                 {R"("class":"NSTextField")", R"("text":"Title \"1\"")", R"("editable":false)",
                  R"("selectable":false)", R"("bezeled":false)", R"("drawsBackground":true)",
                  R"("font":{"family":"DejaVu Sans","size":13,"bold":true})", R"("enabled":true)",
                  R"("target":null)", R"("action":null)"});

  Ref<NSButton> button = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(275, 12, 110, 30)));
  button->setTitle(NSSTR("OK"));
  button->setKeyEquivalent(NSSTR("\r"));
  button->setTarget(recorder);
  button->setAction(sel("act:"));
  expectContains(described(button),
                 {R"("title":"OK")", R"("keyEquivalent":"\r")", R"("buttonType":7)",
                  R"("bezelStyle":1)", R"("target":"ActionRecorder")", R"("action":"act:")",
                  R"("image":null)"});

  Ref<NSProgressIndicator> bar = adopted(NSProgressIndicator::alloc()->init());
  bar->setDoubleValue(20);
  expectContains(described(bar), {R"("doubleValue":20)", R"("minValue":0)", R"("maxValue":100)",
                                  R"("indeterminate":true)", R"("animating":false)"});

  Ref<NSImageView> imageView = adopted(NSImageView::alloc()->init());
  expectContains(described(imageView), {R"("image":null)"});
  // Read from the sample bundle directly, so the description is checked whatever the
  // environment's main bundle is.
  NSImage* logo = NSImage::alloc()->initWithContentsOfFile(
      NSSTR(BRIX_SOURCE_DIR "/resources/Ixa.app/Contents/Resources/monologo.png"));
  ASSERT_NE(logo, nullptr);
  imageView->setImage(logo);
  logo->release();
  expectContains(described(imageView), {R"("image":"monologo.png")"});
}

TEST(AlertDescription, MessageButtonsIconAndAccessory) {
  NSAutoreleasePool pool;
  Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
  alert->setMessageText(NSSTR("Message"));
  alert->setInformativeText(NSSTR("Details"));
  alert->setAlertStyle(NSAlertStyleCritical);
  alert->addButtonWithTitle(NSSTR("Go"));
  alert->addButtonWithTitle(NSSTR("Cancel"));
  JsonWriter json;
  alert->describe(json);
  expectContains(
      json.text(),
      {R"("messageText":"Message")", R"("informativeText":"Details")", R"("alertStyle":2)",
       R"("icon":null)",
       R"("buttons":[{"title":"Go","keyEquivalent":"\r"},{"title":"Cancel","keyEquivalent":"\u001b"}])",
       R"("accessoryView":null)"});
  EXPECT_NE(json.text().find(R"("window":)" + std::to_string(alert->window()->windowNumber())),
            std::string::npos);
}
