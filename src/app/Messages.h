// Message boxes of the application.
#pragma once

#include <QString>

class QWidget;

namespace trovik {

// A plain message: the text, an OK button and no icon, titled with the
// application's name. The dump run shows all of its messages this way.
void ShowPlainMessage(QWidget* parent, const QString& text);

}  // namespace trovik
