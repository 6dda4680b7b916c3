// Whole reports are compared with files under tests/golden, so a change of
// output is reviewed as a diff of text. A golden file is the report in UTF-8
// with its red ranges wrapped in "[[" and "]]". Run a test with
// TROVIK_UPDATE_GOLDEN=1 to write the files from the current output instead.
#pragma once

#include <string>
#include <string_view>

#include "support/ReportCapture.h"

namespace trovik::test {

// Compares text (UTF-8 already, as a program's output) with
// tests/golden/<name>.txt.
void ExpectGolden(const std::string& actual, std::string_view name);
// Compares the marked report (code page 1252) with tests/golden/<name>.txt.
void ExpectReport(const std::string& marked, std::string_view name);
inline void ExpectReport(const DumpResult& result, std::string_view name) { ExpectReport(result.marked, name); }

}  // namespace trovik::test
