// tools/screenshot/run_folder.sh builds the run folders of the screenshots,
// the end-to-end tests and the load runs: its device file registers the
// simulator's devices 1 to N, so every datagram the simulator plays finds
// its row, up to a full table of 999 devices.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/app_fixture.h"
#include "zolsim/model.h"

namespace zol::sim {
namespace {

const char kRunFolder[] = ZOLSIM_SOURCE_DIR "/../screenshot/run_folder.sh";

std::string MacText(const Mac& m) {
  char b[24];
  std::snprintf(b, sizeof b, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
  return b;
}

// Runs run_folder.sh for devices into dir/run; its exit status.
int RunFolder(const TempDir& dir, const std::string& devices) {
  std::ofstream(dir.File("program")) << "#!/bin/sh\n";
  const std::string cmd = "bash '" + std::string(kRunFolder) + "' '" + dir.File("run") + "' '" + dir.File("program") +
                          "' 5000 " + devices + " 00111122 >/dev/null 2>&1";
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first line of every 20-line row of the device file: the MACs in row order.
std::vector<std::string> Macs(const TempDir& dir) {
  std::ifstream in(dir.File("run/zolyab4.dat"), std::ios::binary);
  std::vector<std::string> macs;
  std::string line;
  for (int n = 0; std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (n % 20 == 0) macs.push_back(line);
  }
  return macs;
}

TEST(RunFolder, RegistersTheSimulatorsDevicesOneToN) {
  for (int devices : {1, 255, 256, 999}) {
    TempDir dir;
    ASSERT_EQ(RunFolder(dir, std::to_string(devices)), 0) << devices;
    const std::vector<std::string> macs = Macs(dir);
    ASSERT_EQ(macs.size(), static_cast<size_t>(devices));
    for (int k = 1; k <= devices; ++k)
      ASSERT_EQ(macs[static_cast<size_t>(k - 1)], MacText(MakeDevice(k, 1).mac)) << "device " << k << " of " << devices;
  }
}

TEST(RunFolder, RefusesDeviceCountsOutsideTheTable) {
  for (const char* devices : {"0", "1000", "x", "''"}) {
    TempDir dir;
    EXPECT_EQ(RunFolder(dir, devices), 2) << devices;
    EXPECT_FALSE(std::ifstream(dir.File("run/zolyab4.dat")).good()) << devices;
  }
}

}  // namespace
}  // namespace zol::sim
