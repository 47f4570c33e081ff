// Sondrel: the sound table editor of the OBEL level editor.
//
//   sondrel [TABLE.sfx]
//
// With a table named, Sondrel opens it at once instead of asking with the open dialog.
#include "editor/file_dialog.h"
#include "editor/icon.h"
#include "editor/sondrel.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstring>
#include <filesystem>

namespace {

void DescribeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Edits the sound table (.sfx) of an OBEL level and the sample list (.sam) "
        "beside it.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        "table", "The sound table to open; without one, Sondrel asks for it.", "[TABLE.sfx]");
}

// --help and --version are answered without reaching the window system, so they work where
// there is no display.
bool AsksForInformation(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0) {
                return true;
            }
        }
    }
    return false;
}

// The table named on the command line, exactly as the system names it: on Linux the bytes of
// the argument, which Qt's text would change where they are not valid UTF-8.
std::filesystem::path TableArgument(const QCommandLineParser& parser,
                                    [[maybe_unused]] char* argv[]) {
    const QString table = parser.positionalArguments().value(0);
    if (table.isEmpty()) {
        return {};
    }
#if !defined(_WIN32)
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = arguments.size() - 1; i > 0; --i) {
        if (arguments[i] == table) {
            return std::filesystem::path(argv[i]);
        }
    }
#endif
    return sondrel::PathFromQString(table);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName("Sondrel");
    QCoreApplication::setApplicationVersion(SONDREL_VERSION);
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    if (AsksForInformation(argc, argv)) {
        QCoreApplication information(argc, argv);
        parser.process(information); // prints and ends the program
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setWindowIcon(sondrel::SondrelIcon());
    QGuiApplication::setDesktopFileName("org.sondrel.Sondrel"); // matches it to its entry
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        parser.showHelp(2);
    }

    sondrel::StartOptions options;
    options.table = TableArgument(parser, argv);
    // The files are read while the window is made.
    sondrel::Sondrel window(options, sondrel::ReadEarly(options));
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
