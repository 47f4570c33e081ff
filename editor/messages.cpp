#include "editor/messages.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace sondrel {
namespace {

// What a designer can do about a failure at start-up, below its fixed first line.
QString WhatToDo(FailureCode code) {
    switch (code) {
    case FailureCode::TableRead:
        return "Check that the file is a sound table you may read, or choose another table.";
    case FailureCode::TableNotFound:
        return "Check the name, or start Sondrel without one and choose the table.";
    case FailureCode::NoSamples:
        return "This table has no samples to edit: choose another table.";
    case FailureCode::SampleListOpen:
        return "Put the table's sample list (.sam, the same name) beside it, or choose another "
               "table.";
    case FailureCode::SampleListShort:
    case FailureCode::SampleIndexOutOfRange:
        return "Put the sample list that belongs to this table beside it, or choose another "
               "table.";
    case FailureCode::SampleListLineTooLong:
    case FailureCode::SampleNameTooLong:
    case FailureCode::SampleListTooLarge:
        return "The sample list is damaged: put an intact copy beside the table.";
    case FailureCode::ObjectDatabaseOpen:
    case FailureCode::ObjectDatabasePosition:
    case FailureCode::ObjectDatabaseTooManyNames:
    case FailureCode::ObjectNameTooLong:
    case FailureCode::ObjectDatabaseTooLarge:
        return "Put an intact KV4Objects.dat in its place, or remove it: without one the "
               "level editor's own sounds are listed without names.";
    case FailureCode::OutOfMemory:
        return "Close other programs and start Sondrel again.";
    case FailureCode::TableWrite:
    case FailureCode::SampleListWrite:
    case FailureCode::SampleNotPlayed: // said with the sample's name, the table staying open
        return {};
    }
    return {};
}

} // namespace

// Over the window where it is shown, else in the middle of the screen, where the eye is.
QWidget* DialogOwner(QWidget* parent) {
    return parent != nullptr && parent->window()->isVisible() ? parent : nullptr;
}

QMessageBox::StandardButton Ask(QWidget* parent, const QString& question,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, question, buttons, DialogOwner(parent));
    // Every button with a key of its own (Alt and its underlined letter).
    static const std::pair<QMessageBox::StandardButton, const char*> kTexts[] = {
        {QMessageBox::Yes, "&Yes"},       {QMessageBox::No, "&No"},
        {QMessageBox::Save, "&Save"},     {QMessageBox::Discard, "&Discard"},
        {QMessageBox::Cancel, "&Cancel"}, {QMessageBox::Ok, "&OK"},
    };
    for (const auto& [button, text] : kTexts) {
        if (QAbstractButton* shown = box.button(button)) {
            shown->setText(QString::fromLatin1(text));
        }
    }
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
                                                              : QMessageBox::No);
    // The focus on the default too, once shown (the box gives it to its first button): Space
    // then does what Return does, the answer that keeps the designer's work.
    QTimer::singleShot(0, &box, [&box] {
        if (QPushButton* button = box.defaultButton()) {
            button->setFocus();
        }
    });
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString FailureReport(const Failure& failure, FailureMoment moment) {
    QString report;
    switch (failure.code()) {
    case FailureCode::TableRead:
    case FailureCode::TableWrite:
        report = QString::fromUtf8(failure.what());
        break;
    default: {
        QString description = QString::fromUtf8(failure.what());
        if (!description.isEmpty()) {
            description[0] = description[0].toUpper();
        }
        report = description + ".";
    }
    }
    const QString hint = WhatToDo(failure.code());
    if (!hint.isEmpty()) {
        report += "\n\n" + hint;
    }
    // The number, which support asks for, last; the fixed texts are known by themselves.
    const bool numbered =
        failure.code() != FailureCode::TableRead && failure.code() != FailureCode::TableWrite;
    if (moment == FailureMoment::WhileATableIsOpen && failure.code() != FailureCode::TableWrite) {
        report += QStringLiteral("\n\nThe table that was open stays open");
        report += numbered ? QStringLiteral(" (failure %1).").arg(failure.number()) : ".";
    } else if (numbered) {
        report += QStringLiteral("\n\nSondrel cannot go on (failure %1).").arg(failure.number());
    }
    return report;
}

} // namespace sondrel
