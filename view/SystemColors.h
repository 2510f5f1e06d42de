#pragma once
// System colours: a colour value whose top byte is 0xFF names a colour of the desktop's palette by
// the index in its low byte (button face, window, highlight, ...). This is the one place that maps
// those indices onto the toolkit's palette.

#include "view/CubeSettings.h"

// Well-known indices.
inline constexpr TColor clBtnFace = SystemColorFlag | 15;
inline constexpr TColor clWindow = SystemColorFlag | 5;
inline constexpr TColor clHighlight = SystemColorFlag | 13;

// The plain red-green-blue value of a colour; system colours are looked up in the application's
// palette (UI thread or not: the palette is only read). Unknown indices give black.
TColor ResolveColor(TColor color);
