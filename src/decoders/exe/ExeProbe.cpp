// The map's recogniser of executables: the DOS MZ header and, when its
// e_lfanew points at "PE\0\0", the PE header, the optional header and the
// section table.
#include <cstring>

#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "decoders/exe/ExeDecoders.h"
#include "engine/Probe.h"

namespace trovik {

namespace {
constexpr int kLfanew = 0x3C;
constexpr int kSections = 6;
constexpr int kOptionalSize = 20;
constexpr uint64_t kCoffBytes = 24;  // signature and file header
constexpr uint64_t kSectionBytes = 40;
}  // namespace

bool ProbeExe(ProbeContext& ctx, const ProbeTarget& target) {
  uint8_t mz[64];
  if (!target.Holds(target.start, sizeof mz) || !ctx.Read(target.start, mz, sizeof mz) || mz[0] != 'M' || mz[1] != 'Z')
    return false;
  const uint32_t lfanew = Le32(mz + kLfanew);
  const uint64_t pe = target.start + lfanew;
  uint8_t h[kCoffBytes];
  const bool isPe = lfanew >= sizeof mz && target.Holds(pe, sizeof h) && ctx.Read(pe, h, sizeof h) &&
                    std::memcmp(h, "PE\0\0", 4) == 0;
  ctx.AddRow(target, target.start, DumpType::Mz, 1, isPe ? "DOS MZ header (PE stub)" : "DOS MZ header");
  if (!isPe) return true;
  const uint16_t sections = Le16(h + kSections), optional = Le16(h + kOptionalSize);
  ctx.AddRow(target, pe, DumpType::PeHeader, 1, Format("PE header, %u sections", sections));
  if (optional > 0) {
    if (target.Holds(pe + kCoffBytes, optional))
      ctx.AddRow(target, pe + kCoffBytes, DumpType::PeOptional, 1, Format("PE optional header, %u bytes", optional));
    else
      ctx.AddProblem(target, pe + kCoffBytes, "PE optional header", "it runs past the end of the file");
  }
  const uint64_t table = pe + kCoffBytes + optional;
  if (sections == 0) return true;
  if (!target.Holds(table, sections * kSectionBytes))
    ctx.AddProblem(target, table, "PE section table", "it runs past the end of the file");
  else
    ctx.AddRow(target, table, DumpType::PeSection, sections, Format("PE section table, %u sections", sections));
  return true;
}

}  // namespace trovik
