// What the ALSA player offers the speech beside PlaySoundA: a clip played
// after the sound playing now, through the same device.
#pragma once

#include <string>
#include <vector>

// PlaySoundA calls so far: the number of the sound playing now, or the last.
unsigned long long soundsRequested();
// Plays mono samples at rate once sound number after has ended; dropped
// when a newer sound starts first. The trace line is printed as it starts
// (POIGUARD_SOUND_TRACE).
void playAfterSound(std::vector<short> samples, int rate, unsigned long long after, std::string trace);
// Whether ALSA's default device opens; why not, when not.
bool soundDeviceOpens(char* why, int size);
