// The letters of the program's own German texts, in Windows-1252 as the
// program has always written them there.
#pragma once

#define TEXT_A_UMLAUT "\xC4"
#define TEXT_O_UMLAUT "\xD6"
#define TEXT_SHARP_S "\xDF"
