#include "helpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>


InTempDir::InTempDir()
{
    char templ[] = "/tmp/poiguard-test-XXXXXX";
    path = mkdtemp(templ);
    char cwd[4096];
    previous = getcwd(cwd, sizeof cwd);
    if (chdir(path.c_str()) != 0) abort();
    resetTestPlatform();
}

InTempDir::~InTempDir()
{
    if (chdir(previous.c_str()) != 0) abort();
    std::string cmd = "rm -rf '" + path + "'";
    if (system(cmd.c_str()) != 0) abort();
}

void writeFile(const std::string& name, const std::string& text)
{
    std::ofstream(name, std::ios::binary) << text;
}

std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Console::Console() : capturing(true) { testing::internal::CaptureStdout(); }

std::string Console::take()
{
    std::string out = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    return out;
}

Console::~Console() { testing::internal::GetCapturedStdout(); }

void givePois(CPoiGuard& guard, std::initializer_list<PoiSpec> pois)
{
    free(guard.poiList);
    guard.poiList = static_cast<Poi*>(calloc(pois.size() + 1, sizeof(Poi)));
    guard.poiCount = 0;
    for (const PoiSpec& p : pois) {
        Poi& poi = guard.poiList[guard.poiCount++];
        poi.length = p.length;
        poi.wide = p.wide;
        snprintf(poi.name, sizeof poi.name, "%s", p.name);
    }
}

double wideNorthOf(double wide, double km) { return wide + km / (6371.0 * 3.14159265 / 180.0); }
