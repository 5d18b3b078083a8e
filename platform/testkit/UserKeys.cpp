// The simulated user's keyboard: the one table of key names and of the characters the keys of a
// US keyboard type, with their virtual key codes, and the reading of modifier names.
#include "appkit/controls/FieldEditor.h"
#include "testkit/UserInput.h"

namespace {

struct NamedKey {
  const char16_t* name; // lower case
  char16_t character;
  unsigned short keyCode;
};

constexpr NamedKey kNamedKeys[] = {
    {u"return", NSKey::Return, 36},
    {u"enter", NSKey::Enter, 76},
    {u"escape", NSKey::Escape, 53},
    {u"tab", NSKey::Tab, 48},
    {u"backspace", NSKey::Backspace, 51},
    {u"delete", NSKey::ForwardDelete, 117},
    {u"left", NSKey::LeftArrow, 123},
    {u"right", NSKey::RightArrow, 124},
    {u"down", NSKey::DownArrow, 125},
    {u"up", NSKey::UpArrow, 126},
    {u"home", NSKey::Home, 115},
    {u"end", NSKey::End, 119},
    {u"space", u' ', 49},
};

// The character keys of a US keyboard: what each types without and with Shift.
struct CharacterKey {
  char16_t plain;
  char16_t shifted;
  unsigned short keyCode;
};

constexpr CharacterKey kCharacterKeys[] = {
    {u'a', u'A', 0},   {u's', u'S', 1},  {u'd', u'D', 2},   {u'f', u'F', 3},  {u'h', u'H', 4},
    {u'g', u'G', 5},   {u'z', u'Z', 6},  {u'x', u'X', 7},   {u'c', u'C', 8},  {u'v', u'V', 9},
    {u'b', u'B', 11},  {u'q', u'Q', 12}, {u'w', u'W', 13},  {u'e', u'E', 14}, {u'r', u'R', 15},
    {u'y', u'Y', 16},  {u't', u'T', 17}, {u'1', u'!', 18},  {u'2', u'@', 19}, {u'3', u'#', 20},
    {u'4', u'$', 21},  {u'6', u'^', 22}, {u'5', u'%', 23},  {u'=', u'+', 24}, {u'9', u'(', 25},
    {u'7', u'&', 26},  {u'-', u'_', 27}, {u'8', u'*', 28},  {u'0', u')', 29}, {u']', u'}', 30},
    {u'o', u'O', 31},  {u'u', u'U', 32}, {u'[', u'{', 33},  {u'i', u'I', 34}, {u'p', u'P', 35},
    {u'l', u'L', 37},  {u'j', u'J', 38}, {u'\'', u'"', 39}, {u'k', u'K', 40}, {u';', u':', 41},
    {u'\\', u'|', 42}, {u',', u'<', 43}, {u'/', u'?', 44},  {u'n', u'N', 45}, {u'm', u'M', 46},
    {u'.', u'>', 47},  {u'`', u'~', 50},
};

std::u16string lowered(std::u16string text) {
  for (auto& c : text)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return text;
}

bool isSingleCharacter(const std::u16string& text) {
  if (text.size() == 1) return true;
  return text.size() == 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF && text[1] >= 0xDC00 &&
         text[1] <= 0xDFFF;
}

[[noreturn]] void refuse(const char* what, const std::u16string& name) {
  throw SimulatedUserError(SimulatedUserError::Kind::BadArgument,
                           std::string("unknown ") + what + " \"" + NSUTF16ToUTF8(name) + "\"");
}

} // namespace

namespace UserInput {

Key keyTyping(std::u16string character) {
  unsigned short keyCode = 0;
  if (character.size() == 1) {
    for (const NamedKey& named : kNamedKeys)
      if (named.character == character[0]) keyCode = named.keyCode;
    for (const CharacterKey& key : kCharacterKeys)
      if (key.plain == character[0] || key.shifted == character[0]) keyCode = key.keyCode;
  }
  return Key{std::move(character), keyCode};
}

Key keyNamed(const std::u16string& name) {
  const std::u16string lower = lowered(name);
  for (const NamedKey& named : kNamedKeys)
    if (lower == named.name) return Key{std::u16string(1, named.character), named.keyCode};
  if (!isSingleCharacter(name)) refuse("key", name);
  return keyTyping(name);
}

NSEventModifierFlags modifiersNamed(const std::vector<std::u16string>& names) {
  struct NamedModifier {
    const char16_t* name;
    NSEventModifierFlags flag;
  };
  static constexpr NamedModifier kModifiers[] = {
      {u"command", NSEventModifierFlagCommand}, {u"cmd", NSEventModifierFlagCommand},
      {u"shift", NSEventModifierFlagShift},     {u"option", NSEventModifierFlagOption},
      {u"alt", NSEventModifierFlagOption},      {u"control", NSEventModifierFlagControl},
      {u"ctrl", NSEventModifierFlagControl},
  };
  NSEventModifierFlags flags = 0;
  for (const std::u16string& name : names) {
    const std::u16string lower = lowered(name);
    const NamedModifier* found = nullptr;
    for (const NamedModifier& modifier : kModifiers)
      if (lower == modifier.name) found = &modifier;
    if (!found) refuse("modifier", name);
    flags |= found->flag;
  }
  return flags;
}

} // namespace UserInput
