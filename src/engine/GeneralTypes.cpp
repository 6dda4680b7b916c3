#include "engine/GeneralTypes.h"

#include "engine/GeneralFormats.h"

namespace trovik {

namespace {

constexpr std::string_view kGeneral = " General Dump ";

constexpr DumpTypeInfo kTypes[] = {
    {.id = DumpType::DosDebug, .name = "debug", .caption = "DOS Debug", .group = kGeneral, .endEnabled = true,
     .help = "Print the text in the DEBUG common format.\nExample:\n"
             "  00000000  B8 C0 07 8E D8 8E C0 31-C0 8E D0 BC 00 7C FC 31     .......1.....|.1\n"
             "  00000010  F6 B9 00 02 8B F9 F3 A4-06 68 1D 02 CB 88 16 5C     .........h.....\\",
     .decoder = DumpDosDebug},
    {.id = DumpType::Assembly, .name = "asm", .caption = "Assembly", .group = kGeneral, .endEnabled = true,
     .help = "Print the text in a format for including in an assembly source file.\nExample:\n"
             "  db  0B8h, 0C0h, 07h, 8Eh, 0D8h,  8Eh, 0C0h,  31h, 0C0h,  8Eh, 0D0h, 0BCh,  00h,  7Ch, 0FCh,  31h\n"
             "  db  0F6h, 0B9h, 00h, 02h,  8Bh, 0F9h, 0F3h, 0A4h,  06h,  68h,  1Dh,  02h, 0CBh,  88h,  16h,  5Ch",
     .decoder = DumpAssembly},
    {.id = DumpType::C, .name = "c", .caption = "C/C++", .group = kGeneral, .endEnabled = true,
     .help = "Print the text in a format for including in a C/C++ source file.\nExample:\n"
             "  0xB8, 0xC0, 0x07, 0x8E, 0xD8, 0x8E, 0xC0, 0x31, 0xC0, 0x8E, 0xD0, 0xBC, 0x00, 0x7C, 0xFC, 0x31,\n"
             "  0xF6, 0xB9, 0x00, 0x02, 0x8B, 0xF9, 0xF3, 0xA4, 0x06, 0x68, 0x1D, 0x02, 0xCB, 0x88, 0x16, 0x5C,",
     .decoder = DumpC},
    {.id = DumpType::Basic, .name = "basic", .caption = "Basic", .group = kGeneral, .endEnabled = true,
     .help = "Print the text in a format for including in a BASIC source file.\nExample:\n"
             "  DATA &hB8, &hC0, &h07, &h8E, &hD8, &h8E, &hC0, &h31, &hC0, &h8E, &hD0, &hBC, &h00, &h7C, &hFC, &h31\n"
             "  DATA &hF6, &hB9, &h00, &h02, &h8B, &hF9, &hF3, &hA4, &h06, &h68, &h1D, &h02, &hCB, &h88, &h16, &h5C",
     .decoder = DumpBasic},
    {.id = DumpType::Pascal, .name = "pascal", .caption = "Pascal", .group = kGeneral, .endEnabled = true,
     .buttonEnabled = false,
     .help = "Print the text in a format for including in a BASIC source file.\n\n  Not yet implemented.",
     .decoder = DumpPascal},
    {.id = DumpType::AsciiText, .name = "text", .caption = "Ascii Text", .group = kGeneral, .endEnabled = true,
     .help = "Dump the file as ASCII text.", .decoder = DumpAsciiText},
};

}  // namespace

DumpTypeRows GeneralTypes() { return kTypes; }

}  // namespace trovik
