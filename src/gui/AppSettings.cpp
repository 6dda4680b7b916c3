#include "gui/AppSettings.h"

#include <QSettings>

namespace trovik::settings {

namespace {

QVariant Read(const char* key, const QVariant& fallback) {
  QSettings store(kOrganization, kApplication);
  return store.value(QStringLiteral("Settings/") + QLatin1String(key), fallback);
}

void Write(const char* key, const QVariant& value) {
  QSettings store(kOrganization, kApplication);
  store.setValue(QStringLiteral("Settings/") + QLatin1String(key), value);
}

}  // namespace

QString LastFilename() { return Read("last_filename", QString()).toString(); }
void SetLastFilename(const QString& path) { Write("last_filename", path); }
trovik::OffsetType OffsetType() {
  return Read("offset_type", 0).toInt() == 1 ? trovik::OffsetType::Sectors : trovik::OffsetType::Bytes;
}
void SetOffsetType(trovik::OffsetType offsetType) { Write("offset_type", static_cast<int>(offsetType)); }
bool IsIso() { return Read("is_iso", 0).toInt() != 0; }
void SetIsIso(bool isIso) { Write("is_iso", isIso ? 1 : 0); }
QByteArray WindowPlacement() { return Read("WP", QByteArray()).toByteArray(); }
void SetWindowPlacement(const QByteArray& record) { Write("WP", record); }
QByteArray DockState() { return Read("docks", QByteArray()).toByteArray(); }
void SetDockState(const QByteArray& state) { Write("docks", state); }

}  // namespace trovik::settings
