// The entry of the window tests: a QApplication on the offscreen platform unless another one
// is asked for. With --drop-root, a run started as root goes on as the user "nobody", so
// that permissions hold as they do for a designer (root may write any folder).
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#if !defined(_WIN32)
#include <unistd.h>
#endif

int main(int argc, char* argv[]) {
#if !defined(_WIN32)
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--drop-root") == 0) {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                std::perror("cannot become an ordinary user");
                return 1;
            }
            std::memmove(argv + i, argv + i + 1,
                         sizeof(char*) * static_cast<std::size_t>(argc - i));
            --argc;
            break;
        }
    }
#endif
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Sondrel");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
