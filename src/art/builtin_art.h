#pragma once

#include "platform/backend.h"
#include "platform/picture.h"

// The pictures every element carries from the moment its window is created. Each call
// builds a fresh picture, so an element that later gets another picture changes alone.
namespace osyl::art {

// Bar window.
void paint_back(Picture& p);  // 800 x 23 bar background, into the top-left of a picture
Picture prg();                // 39 x 13 start button
Picture divider();            // 2 x 23, Razdel1 and razdel2
Picture digit();              // 12 x 12 clock digit 0, c1 ... c4
Picture colon();              // 3 x 10, Cd
Picture panel();              // 98 x 23 tray behind the three panel buttons
Picture opt();                // 12 x 12
Picture res();                // 12 x 12
Picture shut();               // 12 x 12

// Menu window.
void paint_window(Picture& p);  // 200 x 300 menu background, into the top-left of a picture
Picture blank_cell();           // 12 x 12 glyph cell before a letter is loaded
Picture ukaz();                 // 12 x 12 pointer marker
Picture home();                 // 15 x 19 strip icons
Picture mail();
Picture chel();
Picture sleft();   // 20 x 20 arrow buttons
Picture sright();  // the left-right mirror of sleft

// The application icon, alpha either 0 or 0xFF.
IconImage main_icon();  // 32 x 32 in the 16 standard VGA colours

}  // namespace osyl::art
