// The help texts of the dump request dialog.
#pragma once

namespace trovik {

// Context help for a control of the request dialog, or nullptr when the
// control has none ("No help for this item." is shown then).
const char* ControlHelpText(int controlId);
// The long help of the dialog's Help button.
const char* LimitsHelpText();
inline constexpr const char* kNoHelpText = "No help for this item.";

}  // namespace trovik
