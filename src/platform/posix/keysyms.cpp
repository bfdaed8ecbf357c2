#include "platform/posix/keysyms.h"

#define XK_MISCELLANY
#define XK_LATIN1
#define XK_XKB_KEYS
#include <X11/keysymdef.h>

#include <array>
#include <utility>

namespace osyl::posix {

namespace {

// Keys whose codes do not follow from a range.
constexpr auto fixed_codes = std::to_array<std::pair<std::uint32_t, int>>({
    {XK_BackSpace, 8},    {XK_Tab, 9},           {XK_ISO_Left_Tab, 9}, {XK_Clear, 12},
    {XK_Return, 13},      {XK_KP_Enter, 13},     {XK_Shift_L, 16},     {XK_Shift_R, 16},
    {XK_Control_L, 17},   {XK_Control_R, 17},    {XK_Alt_L, 18},       {XK_Alt_R, 18},
    {XK_Pause, 19},       {XK_Caps_Lock, 20},    {XK_Escape, 27},      {XK_space, 32},
    {XK_Prior, 33},       {XK_Next, 34},         {XK_End, 35},         {XK_Home, 36},
    {XK_Left, 37},        {XK_Up, 38},           {XK_Right, 39},       {XK_Down, 40},
    {XK_Print, 44},       {XK_Insert, 45},       {XK_Delete, 46},      {XK_KP_Prior, 33},
    {XK_KP_Next, 34},     {XK_KP_End, 35},       {XK_KP_Home, 36},     {XK_KP_Left, 37},
    {XK_KP_Up, 38},       {XK_KP_Right, 39},     {XK_KP_Down, 40},     {XK_KP_Insert, 45},
    {XK_KP_Delete, 46},   {XK_KP_Begin, 12},     {XK_Super_L, 91},     {XK_Super_R, 92},
    {XK_Menu, 93},        {XK_KP_Multiply, 106}, {XK_KP_Add, 107},     {XK_KP_Subtract, 109},
    {XK_KP_Decimal, 110}, {XK_KP_Divide, 111},   {XK_Num_Lock, 144},   {XK_Scroll_Lock, 145},
});

}  // namespace

int virtual_key_code(std::uint32_t keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return static_cast<int>(keysym - XK_a) + 'A';
    if (keysym >= XK_A && keysym <= XK_Z) return static_cast<int>(keysym - XK_A) + 'A';
    if (keysym >= XK_0 && keysym <= XK_9) return static_cast<int>(keysym - XK_0) + '0';
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<int>(keysym - XK_KP_0) + 96;
    if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<int>(keysym - XK_F1) + 112;
    for (const auto& [sym, code] : fixed_codes) {
        if (sym == keysym) return code;
    }
    return 0;
}

bool dismisses_box(std::uint32_t keysym) {
    return keysym == XK_Return || keysym == XK_KP_Enter || keysym == XK_space ||
           keysym == XK_Escape;
}

}  // namespace osyl::posix
