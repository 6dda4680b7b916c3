// Writes trovik-dump's man page from its template at build time: the list of
// dump types and their id range come from the catalog, so the page lists
// exactly the types the program has.
// Usage: trovik_man_types TEMPLATE OUTPUT
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "catalog/Catalog.h"

namespace {

using namespace trovik;

// Text in a troff argument: backslashes escaped, and in what users type the
// hyphens too, so that the page shows (and copies as) a hyphen-minus.
std::string Troff(std::string_view text, bool typed = false) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || (typed && c == '-')) out += '\\';
    out += c;
  }
  return out;
}

std::string_view Trim(std::string_view text) {
  const size_t a = text.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return text.substr(a, text.find_last_not_of(' ') - a + 1);
}

// One paragraph per group box, one line per type: name, id and caption.
std::string TypeList() {
  std::string list;
  std::string_view group;
  for (const DumpTypeInfo& type : DumpTypeTable()) {
    if (list.empty() || type.group != group) {
      group = type.group;
      list += ".TP\n.B " + Troff(Trim(group)) + "\n";
    } else {
      list += ".br\n";
    }
    list += ".BR " + Troff(type.name, true) + " \" " + std::to_string(static_cast<int>(type.id)) + ": " +
            Troff(type.caption) + "\"\n";
  }
  return list;
}

void Replace(std::string& text, const std::string& marker, const std::string& by) {
  for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + by.size()))
    text.replace(at, marker.size(), by);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: trovik_man_types TEMPLATE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  std::stringstream page;
  page << in.rdbuf();
  if (!in) {
    std::cerr << "trovik_man_types: cannot read " << argv[1] << '\n';
    return 1;
  }
  std::string text = page.str();
  const auto [low, high] = DumpTypeIdRange();
  Replace(text, "%DUMP_TYPE_IDS%", std::to_string(low) + " to " + std::to_string(high));
  Replace(text, "%DUMP_TYPES%\n", TypeList());
  std::ofstream out(argv[2]);
  out << text;
  return out.flush() ? 0 : 1;
}
