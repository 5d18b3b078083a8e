#include "display/x11/X11KeyCodes.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <iterator>

namespace {

// X key codes are the kernel's evdev codes plus 8.
constexpr uint32_t kEvdevOffset = 8;

// Evdev codes and the virtual key codes of the same keys on a US keyboard.
struct Position {
  uint16_t evdev;
  unsigned short virtualKey;
};

constexpr Position kPositions[] = {
    {1, 53},    {2, 18},    {3, 19},    {4, 20},    {5, 21},    {6, 23},    {7, 22},    {8, 26},
    {9, 28},    {10, 25},   {11, 29},   {12, 27},   {13, 24},   {14, 51},   {15, 48},   {16, 12},
    {17, 13},   {18, 14},   {19, 15},   {20, 17},   {21, 16},   {22, 32},   {23, 34},   {24, 31},
    {25, 35},   {26, 33},   {27, 30},   {28, 36},   {29, 59},   {30, 0},    {31, 1},    {32, 2},
    {33, 3},    {34, 5},    {35, 4},    {36, 38},   {37, 40},   {38, 37},   {39, 41},   {40, 39},
    {41, 50},   {42, 56},   {43, 42},   {44, 6},    {45, 7},    {46, 8},    {47, 9},    {48, 11},
    {49, 45},   {50, 46},   {51, 43},   {52, 47},   {53, 44},   {54, 60},   {56, 58},   {57, 49},
    {58, 57},   {96, 76},   {97, 62},   {100, 61},  {102, 115}, {103, 126}, {104, 116}, {105, 123},
    {106, 124}, {107, 119}, {108, 125}, {109, 121}, {111, 117}, {125, 55},  {126, 54},
};

} // namespace

unsigned short X11VirtualKeyCode(uint32_t keycode) {
  if (keycode < kEvdevOffset) return 0;
  const uint32_t evdev = keycode - kEvdevOffset;
  for (const Position& position : kPositions)
    if (position.evdev == evdev) return position.virtualKey;
  return 0;
}

DisplayKey X11KeyOfSymbol(uint32_t keysym) {
  switch (keysym) {
  case XKB_KEY_Return:
    return DisplayKey::Return;
  case XKB_KEY_KP_Enter:
    return DisplayKey::Enter;
  case XKB_KEY_Escape:
    return DisplayKey::Escape;
  case XKB_KEY_Tab:
    return DisplayKey::Tab;
  case XKB_KEY_ISO_Left_Tab:
    return DisplayKey::Backtab;
  case XKB_KEY_BackSpace:
    return DisplayKey::Backspace;
  case XKB_KEY_Delete:
  case XKB_KEY_KP_Delete:
    return DisplayKey::Delete;
  case XKB_KEY_Left:
  case XKB_KEY_KP_Left:
    return DisplayKey::Left;
  case XKB_KEY_Right:
  case XKB_KEY_KP_Right:
    return DisplayKey::Right;
  case XKB_KEY_Up:
  case XKB_KEY_KP_Up:
    return DisplayKey::Up;
  case XKB_KEY_Down:
  case XKB_KEY_KP_Down:
    return DisplayKey::Down;
  case XKB_KEY_Home:
  case XKB_KEY_KP_Home:
    return DisplayKey::Home;
  case XKB_KEY_End:
  case XKB_KEY_KP_End:
    return DisplayKey::End;
  case XKB_KEY_Page_Up:
  case XKB_KEY_KP_Page_Up:
    return DisplayKey::PageUp;
  case XKB_KEY_Page_Down:
  case XKB_KEY_KP_Page_Down:
    return DisplayKey::PageDown;
  default:
    break;
  }
  if ((keysym >= XKB_KEY_Shift_L && keysym <= XKB_KEY_Hyper_R) ||
      (keysym >= XKB_KEY_ISO_Lock && keysym <= XKB_KEY_ISO_Last_Group_Lock) ||
      keysym == XKB_KEY_Num_Lock || keysym == XKB_KEY_Mode_switch)
    return DisplayKey::Modifier;
  return DisplayKey::Character;
}
