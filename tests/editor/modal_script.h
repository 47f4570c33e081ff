// Drives the modal dialogs that the window opens: a timer finds each new one through
// QApplication::activeModalWidget() and hands it to the next step of a script, which
// answers it as a designer would and notes what it showed. Each dialog is answered once, also
// when it is the active one again after a nested dialog closes; a dialog left over when the
// script has run out fails the running test and is closed.
#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

namespace sondrel::testing {

// What one dialog showed.
struct SeenDialog {
    QString kind; // "open", "save", "message"
    QString title;
    QString text;
    QStringList nameFilters;
    QString directory;
    QStringList selectedFiles;
    bool hasIcon = false;
    QList<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QRect frame;                    // where it stood on the screen
    const QWidget* owner = nullptr; // the window it belongs to, if any
};

class ModalScript : public QObject {
    Q_OBJECT

public:
    using Step = std::function<void(QWidget* dialog)>;

    explicit ModalScript(std::vector<Step> steps);

    // Steps that answer a dialog.
    static Step chooseFile(const QString& path);
    static Step cancel();
    static Step press(QMessageBox::StandardButton button);

    const std::vector<SeenDialog>& seen() const { return seen_; }
    // The texts of the message boxes seen, in order.
    QStringList messages() const;
    bool finished() const { return next_ == steps_.size(); }

private:
    void poll();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::vector<SeenDialog> seen_;
    std::vector<QPointer<QWidget>> answered_;
    QTimer timer_;
};

} // namespace sondrel::testing
