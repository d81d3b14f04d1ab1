#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

// A mono 16-bit WAV file of the samples. False when it cannot be written.
inline bool writeWav(const std::string& path, const std::vector<short>& samples, int rate)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    sf_count_t n = static_cast<sf_count_t>(samples.size());
    bool ok = sf_write_short(file, samples.data(), n) == n;
    sf_close(file);
    return ok;
}
