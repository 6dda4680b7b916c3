// Runs the dialog tests offscreen with one application object.
#include <gtest/gtest.h>

#include <QApplication>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "DialogTest.h"

namespace trovik::test {

std::vector<uint8_t> ReadTestFile(const std::string& name) {
  std::ifstream in(std::string(TROVIK_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("missing test data file " + name);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace trovik::test

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
