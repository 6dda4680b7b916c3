// Prints the report: the report font, lines never wrapped (what passes the
// right margin is cut off), red annotations in red.
#pragma once

#include <QFont>

#include "app/ReportText.h"

class QPagedPaintDevice;
class QPrinter;

namespace trovik {

// Half an inch on every side.
void SetReportMargins(QPrinter& printer);

// Prints all of the text, or [from, to) when printing a selection, on the
// pages the printer asks for. Returns the number of pages printed.
int PrintReport(QPrinter& printer, const ReportText& text, const QFont& font, qsizetype from = 0,
                qsizetype to = -1);

}  // namespace trovik
