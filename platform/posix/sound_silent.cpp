// Stand-in for machines built without an audio library: the patterns keep
// their timing, nothing is heard.
#include "platform.h"

BOOL PlaySoundA(LPCSTR, HMODULE, DWORD) { return TRUE; }
