// The letters of the program's own German texts, in UTF-8 as Linux consoles
// and the journal read them. Data (POI names, sentences) is never converted.
#pragma once

#define TEXT_A_UMLAUT "\xC3\x84"
#define TEXT_O_UMLAUT "\xC3\x96"
#define TEXT_SHARP_S "\xC3\x9F"
