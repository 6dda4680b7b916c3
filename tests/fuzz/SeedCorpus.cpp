// Writes the fuzzer's seed corpus: every type of the table over windows of
// the real test images, so the fuzzer starts from structures as tools make
// them instead of from nothing.
// Usage: trovik_fuzz_seeds OUTPUT_DIR IMAGE...
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog/Catalog.h"
#include "fuzz/FuzzInput.h"

namespace {

constexpr size_t kWindow = 4096;
// Where the structures of the sample images begin: boot sectors and
// executables at 0, GPT at 512, ext2 at 1024 and 2048, ISO 9660 and UDF
// volume descriptors from 32 KiB, FAT data areas further on.
constexpr size_t kOffsets[] = {0, 0x200, 0x400, 0x800, 0x8000, 0x8800, 0x10000};

void Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR IMAGE...\n", argv[0]);
    return 2;
  }
  const std::filesystem::path outDir = argv[1];
  std::filesystem::create_directories(outDir);
  const auto table = trovik::DumpTypeTable();
  int written = 0;
  for (int a = 2; a < argc; ++a) {
    std::ifstream in(argv[a], std::ios::binary);
    std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string stem = std::filesystem::path(argv[a]).filename().string();
    for (size_t offset : kOffsets) {
      if (offset >= image.size() || (offset && offset + 512 > image.size())) continue;
      const size_t len = std::min(kWindow, image.size() - offset);
      std::vector<uint8_t> window(image.begin() + static_cast<long>(offset),
                                  image.begin() + static_cast<long>(offset + len));
      for (size_t row = 0; row < table.size(); ++row) {
        const auto& type = table[row];
        // The plain dump, and for editable types the edit step with editors that change and confirm.
        for (const uint8_t flags : {0, 8 | 16}) {
          if (flags && !type.editEnabled) continue;
          char name[160];
          std::snprintf(name, sizeof name, "%s-%zx-%s-%d", stem.c_str(), offset, std::string(type.name).c_str(), flags);
          Write(outDir / name, trovik::fuzz::MakeInput(static_cast<int>(row), flags, 0, flags ? 3 : type.countEnabled ? 8 : 1,
                                                      0, type.endEnabled ? 511 : 0, window));
          ++written;
        }
      }
    }
  }
  std::printf("%d seeds in %s\n", written, outDir.c_str());
  return 0;
}
