// One dump run: range fixing, the type's decoder, edit mode and the
// endings. The front end has already chosen and opened the file and
// collected the request.
#pragma once

#include <string>

#include "engine/DumpContext.h"

namespace trovik {

enum class RunStatus {
  Done,         // normal ending
  Aborted,      // abort ending ("\nUser Abort...")
  FileFailed,   // a read or write failed; the message was shown
  Unavailable,  // the type's decoder is not part of this build; the message was shown
};

inline constexpr const char* kAbortText = "\nUser Abort...";
// The first line of a report run through a base (a 64-bit offset).
inline constexpr const char* kBaseLineFormat = "Offsets below are relative to base 0x%llX (the file from byte %llu on).\n";
inline constexpr const char* kUnknownTypeText = "An Unknown type was specified";

// Runs the request as the row of its type says (the caller looks the row up
// in the catalog): nullptr is an unknown type, a row without a decoder a
// type this build does not have.
RunStatus RunDump(const DumpTypeInfo* type, const DumpRequest& request, FileAccess& file, ReportSink& sink,
                  RunHost& host);

}  // namespace trovik
