#pragma once

#include <string>

// The path as this system spells it: a '\' of the program's Windows-style
// paths becomes '/'.
std::string nativePath(const char* path);
