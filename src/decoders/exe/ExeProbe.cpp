// The map's recogniser of executables: the DOS MZ header and, when its
// e_lfanew points at "PE\0\0", the PE header, the optional header and the
// section table.
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "decoders/exe/ExeDecoders.h"
#include "decoders/exe/ExeLayout.h"
#include "engine/Probe.h"

namespace trovik {

bool ProbeExe(ProbeContext& ctx, const ProbeTarget& target) {
  namespace mz = exe::mz;
  namespace pe = exe::pe;
  uint8_t m[mz::kSize];
  if (!target.Holds(target.start, sizeof m) || !ctx.Read(target.start, m, sizeof m) ||
      Get(m, mz::kMagic) != mz::kMagicValue)
    return false;
  const uint32_t lfanew = Get(m, mz::kNewHeaderOffset);
  const uint64_t at = target.start + lfanew;
  uint8_t h[pe::kSize];
  const bool isPe = lfanew >= sizeof m && target.Holds(at, sizeof h) && ctx.Read(at, h, sizeof h) &&
                    Get(h, pe::kSignature) == pe::kSignatureValue;
  ctx.AddRow(target, target.start, DumpType::Mz, 1, isPe ? "DOS MZ header (PE stub)" : "DOS MZ header");
  if (!isPe) return true;
  const uint16_t sections = Get(h, pe::kNumberOfSections), optional = Get(h, pe::kOptionalHeaderSize);
  ctx.AddRow(target, at, DumpType::PeHeader, 1, Format("PE header, %u sections", sections));
  if (optional > 0) {
    if (target.Holds(at + pe::kSize, optional))
      ctx.AddRow(target, at + pe::kSize, DumpType::PeOptional, 1, Format("PE optional header, %u bytes", optional));
    else
      ctx.AddProblem(target, at + pe::kSize, "PE optional header", "it runs past the end of the file");
  }
  const uint64_t table = at + pe::kSize + optional;
  if (sections == 0) return true;
  if (!target.Holds(table, sections * exe::section::kSize))
    ctx.AddProblem(target, table, "PE section table", "it runs past the end of the file");
  else
    ctx.AddRow(target, table, DumpType::PeSection, sections, Format("PE section table, %u sections", sections));
  return true;
}

}  // namespace trovik
