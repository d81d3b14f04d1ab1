#include "helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/nmea_out.h"

namespace fs = std::filesystem;

InTempDir::InTempDir()
{
    static std::atomic<int> serial{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path dir = fs::temp_directory_path() / ("poiguard-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
    fs::create_directories(dir);
    path = dir.string();
    previous = fs::current_path().string();
    fs::current_path(dir);
    resetTestPlatform();
}

InTempDir::~InTempDir()
{
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

void writeFile(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

std::string readFile(const std::string& name, bool textMode)
{
    std::ifstream in(name, textMode ? std::ios::in : std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Console::Console() { testing::internal::CaptureStdout(); }
Console::~Console() { testing::internal::GetCapturedStdout(); }

std::string Console::take()
{
    std::string out = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    return out;
}

std::vector<Poi> makePois(std::initializer_list<PoiSpec> pois)
{
    std::vector<Poi> list;
    for (const PoiSpec& p : pois) {
        list.push_back(Poi{p.length, p.wide, "", 0, 0, 0, 0, 0, kNoLimit, kAllHeadings});
        snprintf(list.back().name, sizeof list.back().name, "%s", p.name);
    }
    return list;
}

void givePois(CPoiGuard& guard, std::initializer_list<PoiSpec> pois)
{
    std::vector<Poi> list = makePois(pois);
    free(guard.poiList);
    guard.poiList = static_cast<Poi*>(calloc(list.size() + 1, sizeof(Poi)));
    std::copy(list.begin(), list.end(), guard.poiList);
    guard.poiCount = static_cast<int>(list.size());
}

double wideNorthOf(double wide, double km) { return wide + km / (6371.0 * 3.14159265 / 180.0); }

void placeAt(CPoiGuard& guard, double length, double wide)
{
    guard.lastPosLength = length;
    guard.lastPosWide = wide;
    guard.position.known = true;
}

std::string rmc(const char* lat, const char* lon, const char* hemispheres, const char* talker, const char* time)
{
    std::string ns(hemispheres, 1), ew(hemispheres + 2);
    std::string sentence = withChecksum(std::string(talker) + "RMC," + time + ",A," + lat + "," + ns + "," + lon + "," + ew +
                                        ",0.0,0.0,010120,,");
    sentence.resize(sentence.size() - 2);  // as the framing hands it over: no line end
    return sentence;
}
