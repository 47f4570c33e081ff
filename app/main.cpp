// Sondrel: the sound table editor of the OBEL level editor.
#include "editor/sondrel.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Sondrel");
    QApplication::setApplicationVersion(SONDREL_VERSION);

    sondrel::Sondrel window;
    switch (window.Form_Load()) {
    case sondrel::Sondrel::LoadResult::Cancelled:
        return 0;
    case sondrel::Sondrel::LoadResult::Failed:
        return 1;
    case sondrel::Sondrel::LoadResult::Ready:
        break;
    }
    window.show();
    return QApplication::exec();
}
