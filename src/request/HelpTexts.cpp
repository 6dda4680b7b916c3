#include "request/HelpTexts.h"

#include <map>

namespace trovik {

// Line breaks are '\n': the dialogs and message boxes of this platform take
// nothing else.
const char* ControlHelpText(int controlId) {
  static const std::map<int, const char*> kTexts{
      {1000, "Starting Byte/Sector Offset.\nDecimal or hexidecimal."},
      {1001, "Ending Byte/Sector Offset.\nDecimal or hexidecimal."},
      {1002, "Print the text in the DEBUG common format.\nExample:\n  00000000  B8 C0 07 8E D8 8E C0 31-C0 8E D0 BC 00 7C FC 31     .......1.....|.1\n  00000010  F6 B9 00 02 8B F9 F3 A4-06 68 1D 02 CB 88 16 5C     .........h.....\\"},
      {1003, "Print the text in a format for including in a C/C++ source file.\nExample:\n  0xB8, 0xC0, 0x07, 0x8E, 0xD8, 0x8E, 0xC0, 0x31, 0xC0, 0x8E, 0xD0, 0xBC, 0x00, 0x7C, 0xFC, 0x31,\n  0xF6, 0xB9, 0x00, 0x02, 0x8B, 0xF9, 0xF3, 0xA4, 0x06, 0x68, 0x1D, 0x02, 0xCB, 0x88, 0x16, 0x5C,"},
      {1005, "Count of items to dump (if applicable).\nFor example, if you are dumping FAT root entries,\nset this value to 4 to dump four consecutive entries."},
      {1006, "Print the text in a format for including in a BASIC source file.\nExample:\n  DATA &hB8, &hC0, &h07, &h8E, &hD8, &h8E, &hC0, &h31, &hC0, &h8E, &hD0, &hBC, &h00, &h7C, &hFC, &h31\n  DATA &hF6, &hB9, &h00, &h02, &h8B, &hF9, &hF3, &hA4, &h06, &h68, &h1D, &h02, &hCB, &h88, &h16, &h5C"},
      {1007, "Print the text in a format for including in a BASIC source file.\n\n  Not yet implemented."},
      {1009, "Dump the specified offset of data for the LEAN FS Superblock."},
      {1010, "Dump the specified offset of data for the LEAN FS Inode."},
      {1011, "Dump the specified offset of data for the LEAN FS Indirect Structure."},
      {1012, "Dump the specified offset of data for the LEAN FS Directory Entry."},
      {1013, "Dump the file as ASCII text."},
      {1014, "Print the text in a format for including in an assembly source file.\nExample:\n  db  0B8h, 0C0h, 07h, 8Eh, 0D8h,  8Eh, 0C0h,  31h, 0C0h,  8Eh, 0D0h, 0BCh,  00h,  7Ch, 0FCh,  31h\n  db  0F6h, 0B9h, 00h, 02h,  8Bh, 0F9h, 0F3h, 0A4h,  06h,  68h,  1Dh,  02h, 0CBh,  88h,  16h,  5Ch"},
      {1015, "Dump the specified offset of data for the QORFS Superblock."},
      {1016, "Dump the specified offset of data for the QORFS Slot Context."},
      {1017, "Dump the specified offset of data for the QORFS Continue Slot Context."},
      {1018, "Dump the specified offset of data for the FAT FS Root Entry."},
      {1019, "Dump the specified offset of data for the FAT FS BIOS Parameter Block."},
      {1020, "Dump the specified offset of data for the FAT FS LFN Root Entry."},
      {1021, "Dump the specified offset of data for the FAT32 FS Info Structure."},
      {1022, "Dump the specified offset of data for the FAT32 FS BIOS Parameter Block."},
      {1023, "Dump the specified offset of data for a GUID Partition Table Header."},
      {1024, "Dump the specified offset of data for a GUID Partition Table Entry."},
      {1025, "Dump the specified offset of data for the EXT2 FS Super Block."},
      {1026, "Dump the specified offset of data for the EXT2 FS Group Descriptor."},
      {1027, "Dump the specified offset of data for the EXT2 FS Inode Table."},
      {1028, "Dump the specified offset of data for the EXT2 FS Directory Entry."},
      {1029, "Dump the specified offset of data for the EXT2 FS Group Descriptor (ext4)."},
      {1030, "Dump the specified offset of data for the EXT2 FS Inode Table (ext4)."},
      {1031, "Dump the specified offset of data for a PVD/SVD of a CDROM."},
      {1032, "Dump the specified offset of data for the EXT2 FS Journal's Super Block."},
      {1033, "Dump the specified offset of data as the OHCI Endpoint Descriptor."},
      {1034, "Dump the specified offset of data as the OHCI HCCA."},
      {1035, "Dump the specified offset of data as the OHCI Transfer Descriptor."},
      {1036, "Dump the specified offset of data as the OHCI ISO Transfer Descriptor."},
      {1037, "Setting this check box will tell TROVIK to ask for\nan offset to print when printing the text."},
      {1038, "Dump the specified offset of data as a Master Boot Record's Partition Table.\nHint:\n  Use 0x1BE as the starting offset and place 4 in the Count field"},
      {1039, "Dump the specified offset of data for the QORFS Sub Directory Slot Context."},
      {1040, "Dump the specified offset of data as the DOS EXE Header."},
      {1041, "Dump the specified offset of data as the PE Stub."},
      {1050, "Click to toggle between byte offset and sector offset."},
      {1051, "Dump the specified offset of data as the PE EXE Header."},
      {1053, "Dump the specified offset of data as the PE EXE Optional Header."},
      {1055, "Dump the specified offset of data as the PE EXE Section Header."},
      {1068, "Dump the specified offset of data for a PVD/SVD of a CDROM."},
  };
  const auto it = kTexts.find(controlId);
  return it == kTexts.end() ? nullptr : it->second;
}

const char* LimitsHelpText() {
  return "Enter a starting offset and an ending offset.\n\nTo enter as decimal numbers, enter the number with the digits 0 - 9\nTo enter as hexadecimal numbers, prefix the number with '0x' then\n use the digits 0 - 9 and A - Z\n\nTo change the output format, use the radio buttons below.\n\nDOS Debug formats the output like DOS's Debug:\n  0x00000000  12 34 56 78 9A BC DE F0-12 34 56 78 9A BC DE F0\nAssembly formats the output for including in your assembly source:\n  db 12h, 34h, 56h, 78h, 9Ah, 0BCh, 0DEh, 0F0h, 12h, ...\nC/C++ formats the output for including in your C/C++ source:\n  0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x12, ...\nBasic formats the output for incluing in your Basic source:\n  DATA &h12, &h34, &h56, &h78, &h9A, &hBC, &hDE, &hF0, ...\nThe Pascal format is not yet implemented.\n  I haven't used Pascal in a long time and have forgotten the format\n\nTo view the contents of a FAT Root entry, for example, place the file\n offset to the root entry in the starting offset, then click on the\n FAT Root Entry raido button.\n\nSince a FAT Root has consecutive entries, if you want to dump more\n than one entry at a time, change the Count field to 2 or more.\n\nThe count field is ignored for some items, such as an ext2 Super\n Block, or a FAT32 Info Block.\n\nCancel to abort the dump\n";
}

}  // namespace trovik
