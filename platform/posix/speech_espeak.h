// eSpeak NG's part of the speech, once speechStart has chosen the voice.
#pragma once

#include <string>
#include <vector>

// A phrase's samples, mono at speechRate() Hz; only from one thread at a time.
std::vector<short> synthesizeSpeech(const std::string& text);
int speechRate();
