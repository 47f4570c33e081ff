// The window, offscreen: start-up of a fresh process to a shown window and its peak memory,
// each against an empty Qt window, one with a line of text, and one with Sondrel's controls
// made of Qt's own classes, shown the same way; then showing a detail with 31 samples,
// applying an edit, building, sorting and filtering the list, and one Update of every sound
// (Google Benchmark).
//
//   bench_window [--short] [--benchmark_* options]
#include "bench/bench_data.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "formats/sample_list.h"
#include "logic/sound_columns.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sondrel;
using namespace sondrel::bench;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Answers "Include KV4 sounds?" with Yes the moment it shows, as a designer's Enter would.
class AnswerYes : public QObject {
public:
    AnswerYes() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Yes)->click(); });
            }
        }
        return false;
    }
};

struct Tables {
    BenchFolder folder;
    fs::path typical = folder / "typical.sfx";
    fs::path largest = folder / "largest.sfx";
    Tables() {
        for (const auto& [path, data] :
             {std::pair{typical, TypicalTable()}, {largest, LargestTable()}}) {
            WriteSFX(path, data.table);
            WriteSampleNames(SampleListPath(path), data.names, data.table.NumSamples);
        }
        WriteBytes(folder / kObjectDatabaseName, FullObjectDatabase());
    }
};
Tables& BenchTables() {
    static Tables tables;
    return tables;
}

std::unique_ptr<Sondrel> Start(const fs::path& table) {
    StartOptions options;
    options.objectDatabase = table.parent_path() / kObjectDatabaseName;
    options.table = table;
    options.settingsFile = table.parent_path() / "settings.ini";
    auto window = std::make_unique<Sondrel>(options, ReadEarly(options)); // as the program starts
    if (window->Form_Load() != Sondrel::LoadResult::Ready) {
        std::abort();
    }
    window->show();
    QApplication::processEvents();
    return window;
}

void BM_ShowDetailWith31Samples(benchmark::State& state) {
    AnswerYes answer;
    const auto window = Start(BenchTables().largest);
    auto* list = window->findChild<SoundListBox*>("SndLst");
    int row = 0;
    for (auto _ : state) {
        // Detail 0, with 31 samples, is the first entry; every other step shows it anew.
        list->setCurrentIndex(list->model()->index(row, 0));
        row = row == 0 ? 1 : 0;
    }
}

void BM_ApplyEdit(benchmark::State& state) {
    AnswerYes answer;
    const auto window = Start(BenchTables().largest);
    auto* list = window->findChild<SoundListBox*>("SndLst");
    list->setCurrentIndex(list->model()->index(0, 0));
    auto* update = window->findChild<QPushButton*>("Update");
    for (auto _ : state) {
        update->click();
    }
}

// The list of the largest table built anew, as the switch of the native sounds builds it, and
// drawn.
void BM_BuildList(benchmark::State& state) {
    AnswerYes answer;
    const auto window = Start(BenchTables().largest);
    for (auto _ : state) {
        window->switchNative();
        QApplication::processEvents();
    }
}

// A click on a heading, cycling through up, down and the table's order, each drawn.
void BM_SortList(benchmark::State& state) {
    AnswerYes answer;
    const auto window = Start(BenchTables().largest);
    auto* list = window->findChild<SoundListBox*>("SndLst");
    window->resize(window->size() + QSize(600, 0));
    int click = 0;
    for (auto _ : state) {
        emit list->horizontalHeader()->sectionClicked(static_cast<int>(SoundColumn::Volume));
        QApplication::processEvents();
        ++click;
    }
    state.counters["clicks"] = click;
}

// The filter typed, a letter at a time, and cleared, each step drawn.
void BM_FilterList(benchmark::State& state) {
    AnswerYes answer;
    const auto window = Start(BenchTables().largest);
    for (QAction* command : window->actions()) {
        if (command->text() == "Find a sound...") {
            command->trigger(); // Ctrl+F: the filter, made now
        }
    }
    auto* filter = window->findChild<QLineEdit*>("SndFilter");
    const QString typed = "kv3 sound 1";
    int step = 0;
    for (auto _ : state) {
        filter->setText(typed.left(step % (typed.size() + 1)));
        QApplication::processEvents();
        ++step;
    }
}

// Every sound selected, a volume typed, Update pressed, and the list drawn again.
void BM_SelectAllAndUpdate(benchmark::State& state) {
    AnswerYes answer;
    const auto window = Start(BenchTables().largest);
    auto* list = window->findChild<SoundListBox*>("SndLst");
    auto* volume = window->findChild<QLineEdit*>("SndVOL");
    auto* update = window->findChild<QPushButton*>("Update");
    int value = 20;
    for (auto _ : state) {
        list->clearSelection();
        list->selectAll();
        volume->setText(QString::number(value));
        update->click();
        QApplication::processEvents();
        value = value == 20 ? 30 : 20; // every Update changes every sound
    }
    state.counters["sounds"] = static_cast<double>(list->selectedPositions().size());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct FreshRun {
    double ms = 0;  // from the process's start to its window shown
    double kib = 0; // its peak resident memory
};

// The kinds of fresh run: an empty window, one with a line of text, one with the controls of
// Sondrel's first view made with Qt's own classes, and the editor on each table.
constexpr int kKinds = 5;
constexpr int kPlainControls = 2;

// The question, then a window of Sondrel's size with its controls where Sondrel has them, each
// of Qt's own class with nothing of Sondrel's: what any Qt Widgets window that shows this view
// costs, the floor Sondrel's own start-up can be measured against.
void ShowPlainControls(QWidget& window) {
    QMessageBox::question(nullptr, "OBEL Sondrel", "Include KV4 sounds?"); // answered by AnswerYes
    window.setFixedSize(332, 246);
    auto* list = new QTableView(&window);
    auto* model = new QStandardItemModel(40, kSoundColumns, list);
    for (int row = 0; row < 40; ++row) {
        for (int column = 0; column < kSoundColumns; ++column) {
            model->setItem(row, column, new QStandardItem(QStringLiteral("KV5 Sound %1").arg(row)));
        }
    }
    list->setModel(model);
    list->setGeometry(0, 0, 329, 158);
    for (const int left : {32, 112, 200, 280}) {
        (new QLineEdit(&window))->setGeometry(left, 216, 45, 19);
    }
    auto* samples = new QComboBox(&window);
    samples->setEditable(true);
    samples->setGeometry(0, 184, 113, 21);
    for (const int top : {160, 184}) {
        (new QPushButton("Update", &window))->setGeometry(248, top, 81, 17);
    }
    for (const int left : {0, 88, 168, 256}) {
        (new QLabel("VOL:", &window))->setGeometry(left, 216, 30, 17);
    }
    QFont bold = window.font();
    bold.setBold(true);
    for (const int left : {120, 144, 168, 192, 216}) {
        auto* flag = new QLabel("P", &window);
        flag->setFont(bold);
        flag->setGeometry(left, 184, 12, 16);
    }
    window.show();
    QApplication::processEvents();
}

// One fresh run of `kind`, in this process, new from exec: creates the application and
// starts the editor on a table, or shows a window of the same size the same way.
FreshRun RunFreshHere(int argc, char** argv, int kind, const char* table) {
    const auto started = Clock::now();
    QApplication app(argc, argv);
    AnswerYes answer;
    std::unique_ptr<Sondrel> window;
    QWidget plain;
    if (kind > kPlainControls) {
        window = Start(table);
    } else if (kind == kPlainControls) {
        ShowPlainControls(plain);
    } else {
        plain.setFixedSize(332, 246);
        if (kind == 1) {
            // One line of text: the least any window with text costs, the font database.
            new QLabel("OBEL Sondrel", &plain);
        }
        plain.show();
        QApplication::processEvents();
    }
    FreshRun run;
    run.ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    // The peak of this program alone: getrusage would also count the memory of the process
    // it was forked from.
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            run.kib = std::stod(line.substr(6));
        }
    }
    return run;
}

// Starts this program anew (fork, then exec, so that it holds nothing of this one) for one
// fresh run of `kind`, and reads what it reports.
FreshRun RunFresh(char* self, int kind, const fs::path* table) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        std::abort();
    }
    const std::string kindText = std::to_string(kind);
    const std::string tableText = table != nullptr ? table->string() : "";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        dup2(pipeEnds[1], STDOUT_FILENO);
        char* args[] = {self, const_cast<char*>("--fresh-run"), const_cast<char*>(kindText.c_str()),
                        const_cast<char*>(tableText.c_str()), nullptr};
        execv("/proc/self/exe", args);
        _exit(127);
    }
    close(pipeEnds[1]);
    FreshRun run;
    if (read(pipeEnds[0], &run, sizeof run) != static_cast<ssize_t>(sizeof run)) {
        std::abort();
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return run;
}

// Start-up and peak memory, each kind of run taken in turn so that a busy moment of the
// machine falls on all three alike.
void ReportStartUpAndMemory(char* self, int runs) {
    std::vector<double> ms[kKinds];
    std::vector<double> kib[kKinds];
    const fs::path* tables[kKinds] = {nullptr, nullptr, nullptr, &BenchTables().typical,
                                      &BenchTables().largest};
    for (int run = 0; run < runs; ++run) {
        for (int kind = 0; kind < kKinds; ++kind) {
            const FreshRun fresh = RunFresh(self, kind, tables[kind]);
            ms[kind].push_back(fresh.ms);
            kib[kind].push_back(fresh.kib);
        }
    }
    std::printf("start-up of a fresh process to a shown window, and its peak resident memory; "
                "median of %d runs:\n",
                runs);
    const char* names[kKinds] = {"empty Qt window", "window with text", "Qt's controls",
                                 "typical table", "largest table"};
    std::printf("  %-17s %9s %15s %15s %17s %10s %15s\n", "", "ms", ": empty window", ": with text",
                ": Qt's controls", "KiB", "- empty window");
    for (int kind = 0; kind < kKinds; ++kind) {
        // A table's start-up against a window of Qt's own controls showing the same first view
        // and question: at most a tenth more for the typical table, 15% for the largest; and
        // its memory within 20 MiB of the empty window.
        const double controls = Median(ms[kind]) / Median(ms[kPlainControls]);
        const double target = kind == kKinds - 1 ? 1.15 : 1.10;
        const double mib = (Median(kib[kind]) - Median(kib[0])) / 1024;
        char verdict[64] = "";
        if (kind > kPlainControls) {
            std::snprintf(verdict, sizeof verdict, "(<= %.2f: %s; <= 20 MiB: %s)", target,
                          controls <= target ? "met" : "MISSED", mib <= 20 ? "met" : "MISSED");
        }
        std::printf("  %-17s %9.2f %15.2f %15.2f %17.2f %10.0f %11.1f MiB  %s\n", names[kind],
                    Median(ms[kind]), Median(ms[kind]) / Median(ms[0]),
                    Median(ms[kind]) / Median(ms[1]), controls, Median(kib[kind]), mib, verdict);
    }
    std::printf("  (targets: against Qt's controls, the typical table's start-up within 1.10, the "
                "largest's within 1.15; memory within 20 MiB of the empty window)\n");
    std::fflush(stdout);
}

// Offscreen Qt warns of what the offscreen platform cannot do; that is not news here.
void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
    if (!message.contains("propagateSizeHints") && !message.contains("XDG_RUNTIME_DIR")) {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

} // namespace

BENCHMARK(BM_ShowDetailWith31Samples);
BENCHMARK(BM_ApplyEdit);
BENCHMARK(BM_BuildList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAllAndUpdate)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietOffscreenWarnings);
    if (argc == 4 && std::string_view(argv[1]) == "--fresh-run") {
        int one = 1;
        const FreshRun run = RunFreshHere(one, argv, std::atoi(argv[2]), argv[3]);
        return write(STDOUT_FILENO, &run, sizeof run) == static_cast<ssize_t>(sizeof run) ? 0 : 1;
    }
    // --short: one run of each kind instead of eleven, for CI.
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--short") {
            quick = true;
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            break;
        }
    }
    // Fresh processes first, before this one has an application of its own.
    ReportStartUpAndMemory(argv[0], quick ? 1 : 11);

    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
