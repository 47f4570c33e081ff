#include "editor/messages.h"

#include <QMessageBox>

namespace sondrel {

void ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

bool AskYesNo(QWidget* parent, const QString& question, bool yesIsDefault) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, question, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString FailureReport(const Failure& failure) {
    switch (failure.code()) {
    case FailureCode::TableRead:
    case FailureCode::TableWrite:
        return QString::fromUtf8(failure.what());
    default: {
        QString description = QString::fromUtf8(failure.what());
        if (!description.isEmpty()) {
            description[0] = description[0].toUpper();
        }
        return QStringLiteral("Sondrel cannot go on: failure %1.\n\n%2.")
            .arg(failure.number())
            .arg(description);
    }
    }
}

void ReportFailure(QWidget* parent, const Failure& failure) {
    ShowMessage(parent, FailureReport(failure));
}

} // namespace sondrel
