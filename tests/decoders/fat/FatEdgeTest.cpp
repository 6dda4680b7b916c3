// Directory entries that own no cluster: a volume label, and the ".." entry
// of a directory whose parent is the root, keep cluster 0 by definition.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ReportCapture.h"
#include "support/RuleTable.h"

namespace trovik::test {
namespace {

const std::string kClusterZero = "Starting Cluster: 0x0000 (0x00000000)[[ <--- should be 0x0002 or higher.\\n]]";

TEST(FatEdges, ClusterZeroIsFlaggedOnlyWhereAnEntryMustOwnACluster) {
  std::vector<uint8_t> file(32, 0);
  Apply(file, {Text(0, "KERNEL  SYS"), U8(11, 0x20), Le16(26, 5), Le32(28, 1234)});
  ExpectRules(MakeRequest(DumpType::FatDir, "0", "0", 1), file,
              {
                  {"volume label", {Text(0, "BOOTDISK   "), U8(11, 0x08), Le16(26, 0), Le32(28, 0)}, {}},
                  {"volume label with the archive bit", {U8(11, 0x28), Le16(26, 0)}, {}},
                  {"'..' whose parent is the root", {Text(0, "..         "), U8(11, 0x10), Le16(26, 0)}, {}},
                  {"'.' with cluster 0", {Text(0, ".          "), U8(11, 0x10), Le16(26, 0)}, {kClusterZero}},
                  {"'..' as a file name prefix", {Text(0, "..X        "), Le16(26, 0)}, {kClusterZero}},
                  {"file with cluster 0", {Le16(26, 0)}, {kClusterZero}},
                  {"directory with cluster 1", {U8(11, 0x10), Le16(26, 1)},
                   {"Starting Cluster: 0x0001 (0x00000001)[[ <--- should be 0x0002 or higher.\\n]]"}},
                  {"long-name attribute read as a short entry", {U8(11, 0x0F), Le16(26, 0)}, {kClusterZero}},
              });
}

}  // namespace
}  // namespace trovik::test
