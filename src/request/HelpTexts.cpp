#include "request/HelpTexts.h"

#include <map>

#include "catalog/Catalog.h"

namespace trovik {

// Line breaks are '\n': the dialogs and message boxes of this platform take
// nothing else.
const char* ControlHelpText(int controlId) {
  // The dump types' radio buttons: their rows of the catalog say it.
  if (const DumpTypeInfo* type = FindDumpType(controlId)) return type->help;
  static const std::map<int, const char*> kTexts{
      {1000, "Starting Byte/Sector Offset.\nDecimal or hexidecimal."},
      {1001, "Ending Byte/Sector Offset.\nDecimal or hexidecimal."},
      {1005, "Count of items to dump (if applicable).\nFor example, if you are dumping FAT root entries,\nset this value to 4 to dump four consecutive entries."},
      {1037, "Setting this check box will tell TROVIK to ask for\nan offset to print when printing the text."},
      {1050, "Click to toggle between byte offset and sector offset."},
  };
  const auto it = kTexts.find(controlId);
  return it == kTexts.end() ? nullptr : it->second;
}

const char* LimitsHelpText() {
  return "Enter a starting offset and an ending offset.\n\nTo enter as decimal numbers, enter the number with the digits 0 - 9\nTo enter as hexadecimal numbers, prefix the number with '0x' then\n use the digits 0 - 9 and A - Z\n\nTo change the output format, use the radio buttons below.\n\nDOS Debug formats the output like DOS's Debug:\n  0x00000000  12 34 56 78 9A BC DE F0-12 34 56 78 9A BC DE F0\nAssembly formats the output for including in your assembly source:\n  db 12h, 34h, 56h, 78h, 9Ah, 0BCh, 0DEh, 0F0h, 12h, ...\nC/C++ formats the output for including in your C/C++ source:\n  0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x12, ...\nBasic formats the output for incluing in your Basic source:\n  DATA &h12, &h34, &h56, &h78, &h9A, &hBC, &hDE, &hF0, ...\nThe Pascal format is not yet implemented.\n  I haven't used Pascal in a long time and have forgotten the format\n\nTo view the contents of a FAT Root entry, for example, place the file\n offset to the root entry in the starting offset, then click on the\n FAT Root Entry raido button.\n\nSince a FAT Root has consecutive entries, if you want to dump more\n than one entry at a time, change the Count field to 2 or more.\n\nThe count field is ignored for some items, such as an ext2 Super\n Block, or a FAT32 Info Block.\n\nCancel to abort the dump\n";
}

}  // namespace trovik
