#pragma once

#include <QColor>

namespace vz::palette {

// The recurring colours of the program.
inline const QColor mainBlue{0x01, 0x48, 0xB2};     // backgrounds, selected rows, frames
inline const QColor toolbar{0xD5, 0xDB, 0xF9};      // toolbar, information panels
inline const QColor sidePanel{0x8C, 0xAA, 0xE6};    // side panels, button columns
inline const QColor listBack{0xEE, 0xF0, 0xFD};     // list backgrounds
inline const QColor pageBack{0xF9, 0xF9, 0xF9};     // print page and text boxes
inline const QColor frameClipart{0xFF, 0x80, 0x40};
inline const QColor frameMixMatch{0xFF, 0x00, 0xFF};
inline const QColor frameWindows{0x00, 0x99, 0x00};
inline const QColor frameAlphabets{0x01, 0x48, 0xB2};

} // namespace vz::palette
