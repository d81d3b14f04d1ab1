// On Windows the program's Win32 calls are the real ones.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
#include <direct.h>
#include <process.h>

#include "../seam.h"
