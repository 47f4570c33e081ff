// The program's message boxes: titled "Sondrel", without an icon, centred over the window
// where it is shown and over the screen before it is.
#pragma once

#include "formats/failure.h"

#include <QString>

class QWidget;

namespace sondrel {

inline constexpr char kTitle[] = "Sondrel";

// A message with one OK button.
void ShowMessage(QWidget* parent, const QString& text);

// A question with Yes and No, Yes the default unless `yesIsDefault` is false. True only for
// Yes.
bool AskYesNo(QWidget* parent, const QString& question, bool yesIsDefault = true);

// Shows a failure: the table's fixed texts as they are, any other failure as the report of an
// unhandled failure with its number and description; below, what the designer can do.
void ReportFailure(QWidget* parent, const Failure& failure);

// The text of that report.
QString FailureReport(const Failure& failure);

} // namespace sondrel
