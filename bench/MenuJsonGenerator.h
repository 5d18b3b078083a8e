// Generates context-menu JSON for benchmarks and fuzzing seeds: an array of menu item records
// ("HEADER", "IDENTITY", "KEYBOARDSHORTCUT", "STATE", "DISABLED", "INDENTATION", "CHILDREN")
// with realistic titles (some written with \u escapes, as ASCII-only senders must), a mix of
// shortcuts, check marks, disabled items, indentation given as numbers and as strings,
// separators and submenus up to a depth of four levels. The same count and seed always give
// the same text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace menu_json {

struct GeneratedMenu {
  std::string text;
  std::size_t items = 0; // every record, separators and submenu parents included
  std::size_t separators = 0;
  std::size_t submenus = 0;
  std::size_t deepestLevel = 0;
};

class MenuJsonGenerator {
public:
  static constexpr std::size_t kMaximumLevel = 4;

  explicit MenuJsonGenerator(std::uint32_t seed = 20240607) : state_(seed ? seed : 1) {}

  GeneratedMenu generate(std::size_t items) {
    result_ = GeneratedMenu{};
    result_.text.reserve(items * 110);
    remaining_ = items;
    identity_ = 0;
    result_.text += '[';
    emitRecords(1, items);
    result_.text += ']';
    return std::move(result_);
  }

private:
  // A percentage chance.
  bool chance(unsigned percent) { return next() % 100 < percent; }
  // xorshift32: fast, deterministic, good enough to vary menu records.
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }

  void emitRecords(std::size_t level, std::size_t count) {
    if (level > result_.deepestLevel) result_.deepestLevel = level;
    for (std::size_t i = 0; i < count && remaining_ > 0; ++i) {
      --remaining_;
      ++result_.items;
      if (i) result_.text += ',';
      if (chance(8)) {
        ++result_.separators;
        result_.text += R"({"HEADER":"-"})";
        continue;
      }
      emitItem(level);
    }
  }

  void emitItem(std::size_t level) {
    static constexpr const char* kTitles[] = {"Open",
                                              "Open Recent",
                                              "Close Window",
                                              "Save As\\u2026",
                                              "Duplicate",
                                              "Rename\\u2026",
                                              "Move to Trash",
                                              "Copy Link Address",
                                              "Paste and Match Style",
                                              "Select All",
                                              "Find Next",
                                              "Show in Finder",
                                              "Caf\\u00e9 Menu",
                                              "Export as PDF\\u2026",
                                              "Zoom In",
                                              "Zoom Out",
                                              "Actual Size",
                                              "Enter Full Screen",
                                              "Bring All to Front",
                                              "Get Info"};
    static constexpr const char kShortcuts[] = "abcdefghijklmnopqrstuvwxyz0123456789,.;/";
    std::string& out = result_.text;
    out += R"({"HEADER":")";
    out += kTitles[next() % (sizeof kTitles / sizeof kTitles[0])];
    if (chance(40)) {
      out += ' ';
      out += std::to_string(next() % 1000);
    }
    out += R"(","IDENTITY":"MENU_ITEM_)" + std::to_string(++identity_) + '"';
    if (chance(15)) {
      out += R"(,"KEYBOARDSHORTCUT":")";
      out += kShortcuts[next() % (sizeof kShortcuts - 1)];
      out += '"';
    }
    if (chance(20)) out += chance(80) ? R"(,"STATE":"1")" : R"(,"STATE":"0")";
    if (chance(10)) out += R"(,"DISABLED":"1")";
    if (chance(10))
      out += chance(50) ? R"(,"INDENTATION":)" + std::to_string(next() % 4)
                        : R"(,"INDENTATION":")" + std::to_string(next() % 4) + '"';
    if (level < kMaximumLevel && remaining_ > 1 && chance(12)) {
      ++result_.submenus;
      out += R"(,"CHILDREN":[)";
      emitRecords(level + 1, 2 + next() % 11);
      out += ']';
    }
    out += '}';
  }

  std::uint32_t state_;
  GeneratedMenu result_;
  std::size_t remaining_ = 0;
  std::size_t identity_ = 0;
};

} // namespace menu_json
