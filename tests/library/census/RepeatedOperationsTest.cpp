// Memory comes back: every operation a Java application repeats leaves the census of live
// platform objects exactly where it was. Each case warms up once (shared objects such as the
// colour panel, cached fonts and the menu built last are made then), takes the census, repeats
// the operation 200 times and takes it again.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "IxaNatives.h"
#include "LibraryTesting.h"
#include "TestJvm.h"
#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSButton.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/panels/NSAlert.h"
#include "appkit/panels/NSColorPanel.h"
#include "bridge/Bridge.h"
#include "dialogs/SheetGlobals.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSCensus.h"
#include "testkit/MenuUser.h"
#include "testkit/SimulatedUser.h"
#include "windows/WindowLookup.h"

namespace {

constexpr int kRepeats = 200;

const char* const kMenu = R"([
  {"HEADER": "Open", "IDENTITY": "open", "KEYBOARDSHORTCUT": "o"},
  {"HEADER": "-"},
  {"HEADER": "Recent", "CHILDREN": [{"HEADER": "a.txt", "IDENTITY": "recent-a"},
                                    {"HEADER": "b.txt", "IDENTITY": "recent-b", "STATE": "1"}]}])";

// The classes whose live count differs between two censuses, as "Class: before -> after".
std::string differences(const std::map<std::string, long>& before,
                        const std::map<std::string, long>& after) {
  std::ostringstream text;
  for (const auto& [name, count] : after) {
    const auto found = before.find(name);
    const long earlier = found == before.end() ? 0 : found->second;
    if (earlier != count) text << name << ": " << earlier << " -> " << count << "\n";
  }
  for (const auto& [name, count] : before)
    if (!after.count(name)) text << name << ": " << count << " -> (gone)\n";
  return text.str();
}

class RepeatedOperations : public LibraryTest {
protected:
  void SetUp() override {
    LibraryTest::SetUp();
    brix::_env = env;
    window = openTestWindow("Document");
  }

  // Runs operation once to warm up, then kRepeats times, each inside its own autorelease pool
  // and JNI local frame as a native call from Java would be, and expects an unchanged census.
  template <class Operation> void expectCensusUnchanged(Operation operation) {
    runOnce(operation);
    const auto before = NSCensus::snapshot();
    for (int i = 0; i < kRepeats; ++i)
      runOnce(operation);
    EXPECT_EQ(differences(before, NSCensus::snapshot()), "");
  }

  template <class Operation> void runOnce(Operation& operation) {
    ASSERT_EQ(env->PushLocalFrame(32), 0);
    {
      NSAutoreleasePool pool;
      operation();
    }
    NSRunLoop::mainRunLoop().runPending();
    env->PopLocalFrame(nullptr);
  }

  // Presses the button titled title of the front-most alert once it is up.
  static void pressAlertButtonSoon(const char* title) {
    afterDelay(0, [title = std::string(title)] {
      NSAlert* alert = SimulatedUser::frontmostAlert();
      ASSERT_NE(alert, nullptr);
      for (const auto& button : alert->buttonList())
        if (button->title()->utf8() == title) return button->performClick(nullptr);
      ADD_FAILURE() << "no button " << title;
    });
  }

  static NSButton* sheetButton(const char* title) {
    NSWindow* sheet = brix::_textEntryWindow;
    if (!sheet) return nullptr;
    for (const auto& view : sheet->contentView()->subviewList())
      if (auto* button = ns_cast<NSButton>(view.get()); button && button->title()->utf8() == title)
        return button;
    return nullptr;
  }

  NSWindow* window = nullptr;
};

} // namespace

TEST_F(RepeatedOperations, AnsweredAlertsOfEveryKind) {
  expectCensusUnchanged([&] {
    pressAlertButtonSoon("Keep");
    EXPECT_EQ(Java_ixa_IxaDialogs_showMacDialog(env, nullptr, j("Delete?"), j("For ever"),
                                                j("Delete"), j("Keep")),
              0);
  });
  expectCensusUnchanged([&] {
    pressAlertButtonSoon("Later");
    EXPECT_EQ(Java_ixa_IxaDialogs_show3ButtonMacDialog(env, nullptr, j("Save?"), j("Changes"),
                                                       j("Save"), j("Discard"), j("Later")),
              3);
  });
  expectCensusUnchanged([&] {
    pressAlertButtonSoon("OK");
    jstring answer = Java_ixa_IxaDialogs_showMacTextEntryDialog(env, nullptr, j("Name?"), j(""),
                                                                j("OK"), j("Cancel"), j("Doc"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(env->GetStringUTFLength(answer), 3);
  });
}

TEST_F(RepeatedOperations, TextEntrySheetAnsweredAndCancelled) {
  recordUpcalls("RENAME");
  for (const char* button : {"Save", "Cancel"}) {
    expectCensusUnchanged([&] {
      ASSERT_EQ(Java_ixa_IxaDialogs_showTextEntrySheetDialog(env, nullptr, j("Rename"), j("To:"),
                                                             j("Save"), j("Cancel"), j("RENAME")),
                1);
      NSButton* pressed = sheetButton(button);
      ASSERT_NE(pressed, nullptr);
      pressed->performClick(nullptr);
      EXPECT_EQ(window->attachedSheet(), nullptr);
    });
  }
  drainUpcalls();
}

TEST_F(RepeatedOperations, ProgressSheetOpenedUpdatedAndClosed) {
  expectCensusUnchanged([&] {
    Java_ixa_IxaDialogs_initProgressDialog(env, nullptr);
    ASSERT_NE(window->attachedSheet(), nullptr);
    Java_ixa_IxaDialogs_updateProgressDialog(env, nullptr, j("Copying"), j("1 of 2"), 50);
    Java_ixa_IxaDialogs_updateProgressDialog(env, nullptr, j("Copying"), j("2 of 2"), -1);
    Java_ixa_IxaDialogs_closeProgressDialog(env, nullptr);
    EXPECT_EQ(window->attachedSheet(), nullptr);
  });
}

TEST_F(RepeatedOperations, ContextMenuChosenAndDismissed) {
  recordUpcalls("recent-a");
  expectCensusUnchanged([&] {
    afterDelay(0, [] { EXPECT_TRUE(MenuUser::chooseMenuItem({u"Recent", u"a.txt"})); });
    EXPECT_EQ(Java_ixa_IxaDialogs_showMacContextMenuWithJSON(env, nullptr, 10, 20, j(kMenu)), 1);
  });
  const std::string upcalls = drainUpcalls();
  std::size_t chosen = 0;
  for (auto at = upcalls.find("recent-a"); at != std::string::npos;
       at = upcalls.find("recent-a", at + 1))
    ++chosen;
  EXPECT_EQ(chosen, static_cast<std::size_t>(kRepeats + 1));
  expectCensusUnchanged([&] {
    afterDelay(0, [] { MenuUser::dismissMenu(); });
    EXPECT_EQ(Java_ixa_IxaDialogs_showMacContextMenuWithJSON(env, nullptr, 10, 20, j(kMenu)), 1);
  });
}

// A menu long enough that releasing it works ahead through its items, with submenus both longer
// and shorter than that reach, items with and without identities and separators between them.
TEST_F(RepeatedOperations, LargeContextMenuReplaced) {
  std::string menu = "[";
  for (int i = 0; i < 120; ++i) {
    if (i) menu += ",";
    if (i % 7 == 3) {
      menu += R"({"HEADER": "-"})";
      continue;
    }
    menu += R"({"HEADER": "Item number )" + std::to_string(i) + "\"";
    if (i % 2) menu += R"(, "IDENTITY": "identity-)" + std::to_string(i) + "\"";
    if (i % 40 == 1 || i % 40 == 2) {
      menu += R"(, "CHILDREN": [)";
      for (int child = 0; child < (i % 40 == 1 ? 60 : 3); ++child)
        menu += std::string(child ? "," : "") + R"({"HEADER": "Child", "IDENTITY": "c"})";
      menu += "]";
    }
    menu += "}";
  }
  menu += "]";
  expectCensusUnchanged([&] {
    afterDelay(0, [] { MenuUser::dismissMenu(); });
    EXPECT_EQ(Java_ixa_IxaDialogs_showMacContextMenuWithJSON(env, nullptr, 10, 20, j(menu.c_str())),
              1);
  });
}

TEST_F(RepeatedOperations, OffscreenButtonRendering) {
  expectCensusUnchanged([&] { Java_ixa_IxaDialogs_renderMacButton(env, nullptr, 0, 0, 0); });
}

TEST_F(RepeatedOperations, ColourPanelShownAndPicked) {
  recordUpcalls("COLORCHANGED");
  expectCensusUnchanged([&] {
    Java_ixa_IxaDialogs_showMacColorPopover(env, nullptr, 0, 0);
    EXPECT_TRUE(
        NSColorPanel::sharedColorPanel()->pickColor(NSColor::colorWithCalibratedRed(1, 0.5, 0, 1)));
  });
  drainUpcalls();
}

TEST_F(RepeatedOperations, SheetifiedWindowShownAndClosed) {
  expectCensusUnchanged([&] {
    NSWindow* javaWindow = openTestWindow("SHEETIFY", NSMakeRect(150, 150, 300, 200));
    Java_ixa_IxaDialogs_sheetifyWindow(env, nullptr);
    // The attachment waits a tenth of a second.
    for (int waited = 0; waited < 100 && !window->attachedSheet(); ++waited)
      runMainLoop(0.005);
    EXPECT_EQ(window->attachedSheet(), javaWindow);
    Java_ixa_IxaDialogs_closeSheetifiedWindow(env, nullptr);
    EXPECT_EQ(window->attachedSheet(), nullptr);
  });
}

TEST_F(RepeatedOperations, ApplicationMenuModifiedTwiceThenReset) {
  NSApplication* app = NSApplication::sharedApplication();
  expectCensusUnchanged([&] {
    app->setApplicationMenuTitles({u"About", u"-", u"Quit"});
    Java_ixa_IxaDialogs_modifyMenuBar(env, nullptr);
    Java_ixa_IxaDialogs_modifyMenuBar(env, nullptr);
  });
}

TEST_F(RepeatedOperations, WindowsClosedUnderSheetsLeaveNothingBehind) {
  expectCensusUnchanged([&] {
    NSWindow* parent = openTestWindow("Under a sheet");
    Java_ixa_IxaDialogs_showTextEntrySheetDialog(env, nullptr, j("T"), j("M"), j("OK"), j("Cancel"),
                                                 j("GONE"));
    Java_ixa_IxaDialogs_initProgressDialog(env, nullptr);
    parent->close();
    // Everything the library still names is gone, and every call acts on nothing.
    Java_ixa_IxaDialogs_updateProgressDialog(env, nullptr, j("t"), j("m"), 10);
    Java_ixa_IxaDialogs_closeProgressDialog(env, nullptr);
  });
  EXPECT_EQ(brix::_progressWindowParent.get(), nullptr);
  EXPECT_EQ(brix::_textEntryWindow.get(), nullptr);
  EXPECT_EQ(brix::_progressBar.get(), nullptr);
}
