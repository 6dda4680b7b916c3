// The per-user settings of the application, group "Settings" under the
// organisation "Velmarra" and the application "trovik".
#pragma once

#include <QByteArray>
#include <QString>

#include "engine/DumpRequest.h"

namespace trovik::settings {

inline constexpr const char* kOrganization = "Velmarra";
inline constexpr const char* kApplication = "trovik";

QString LastFilename();
void SetLastFilename(const QString& path);
trovik::OffsetType OffsetType();  // stored as 0 (bytes) or 1 (sectors)
void SetOffsetType(trovik::OffsetType offsetType);
bool IsIso();
void SetIsIso(bool isIso);
// The main window's placement record, as File > Exit stored it (may be
// missing or of any length: check before use).
QByteArray WindowPlacement();
void SetWindowPlacement(const QByteArray& record);
// Where the main window's panels are docked and whether they are shown.
QByteArray DockState();
void SetDockState(const QByteArray& state);

}  // namespace trovik::settings
