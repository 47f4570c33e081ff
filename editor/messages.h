// The program's message boxes: titled "Sondrel", without an icon, centred over the window
// where it is shown and over the screen before it is.
#pragma once

#include "formats/failure.h"

#include <QMessageBox>
#include <QString>

class QWidget;

namespace sondrel {

inline constexpr char kTitle[] = "Sondrel";

// The window a dialog stands over: `parent`'s where it is shown, else none, so that the
// dialog is centred on the screen.
QWidget* DialogOwner(QWidget* parent);

// A question with the buttons given; Escape gives Cancel where there is one, else No. Returns
// the button pressed.
QMessageBox::StandardButton Ask(QWidget* parent, const QString& question,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton);

// When a failure comes: at start-up Sondrel then ends; with a table open, that table stays.
enum class FailureMoment { AtStartUp, WhileATableIsOpen };

// The report of a failure: the table's fixed texts as they are, any other failure as what
// happened; below, what the designer can do, and last what happens now, with the failure's
// number.
QString FailureReport(const Failure& failure, FailureMoment moment);

} // namespace sondrel
