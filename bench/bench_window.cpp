// The window, offscreen: showing a detail with 31 samples and applying an edit (Google
// Benchmark), then start-up to a shown window and the peak memory of a run, each against an
// empty Qt window shown the same way.
//
//   bench_window [--short] [--benchmark_* options]
#include "bench/bench_data.h"
#include "editor/sondrel.h"
#include "formats/sample_names.h"
#include "tests/support/test_files.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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
    testing::TempDir folder;
    fs::path typical = folder / "typical.sfx";
    fs::path largest = folder / "largest.sfx";
    Tables() {
        for (const auto& [path, data] :
             {std::pair{typical, TypicalTable()}, {largest, LargestTable()}}) {
            WriteSFX(path, data.table);
            WriteSampleNames(SampleListPath(path), data.names, data.table.NumSamples);
        }
        testing::WriteAll(folder / kObjectDatabaseName, FullObjectDatabase());
    }
};
Tables& BenchTables() {
    static Tables tables;
    return tables;
}

std::unique_ptr<Sondrel> Start(const fs::path& table) {
    auto window = std::make_unique<Sondrel>(
        StartOptions{.objectDatabase = BenchTables().folder / kObjectDatabaseName,
                     .table = QString::fromStdString(table.string())});
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
    auto* list = window->findChild<QListWidget*>("SndLst");
    int row = 0;
    for (auto _ : state) {
        // Detail 0, with 31 samples, is the first entry; every other step shows it anew.
        list->setCurrentRow(row);
        row = row == 0 ? 1 : 0;
    }
}

void BM_ApplyEdit(benchmark::State& state) {
    AnswerYes answer;
    const auto window = Start(BenchTables().largest);
    window->findChild<QListWidget*>("SndLst")->setCurrentRow(0);
    auto* update = window->findChild<QPushButton*>("Update");
    for (auto _ : state) {
        update->click();
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Start-up to a shown window, in milliseconds: the real start-up for a table, or an empty
// window of the same size shown the same way.
double StartUpMs(const fs::path* table) {
    const auto started = Clock::now();
    if (table != nullptr) {
        const auto window = Start(*table);
        const auto shown = Clock::now();
        return std::chrono::duration<double, std::milli>(shown - started).count();
    }
    QWidget empty;
    empty.setFixedSize(332, 246);
    empty.show();
    QApplication::processEvents();
    return std::chrono::duration<double, std::milli>(Clock::now() - started).count();
}

void ReportStartUp(int runs) {
    AnswerYes answer;
    const int kRuns = runs;
    std::vector<double> empty, typical, largest;
    for (int run = 0; run < kRuns; ++run) {
        empty.push_back(StartUpMs(nullptr));
        typical.push_back(StartUpMs(&BenchTables().typical));
        largest.push_back(StartUpMs(&BenchTables().largest));
    }
    std::printf("\nstart-up to a shown window, median of %d runs (ms):\n", kRuns);
    std::printf("  empty Qt window   %8.2f\n", Median(empty));
    std::printf("  typical table     %8.2f   ratio %.2f (target <= 1.1)\n", Median(typical),
                Median(typical) / Median(empty));
    std::printf("  largest table     %8.2f   ratio %.2f (target <= 1.25)\n", Median(largest),
                Median(largest) / Median(empty));
}

// Prints the peak resident memory of a fresh process that starts the editor on `table` (or
// shows an empty window), in KiB.
void ReportPeakMemory(int argc, char** argv, const char* what, const fs::path* table) {
    const pid_t child = fork();
    if (child == 0) {
        QApplication app(argc, argv);
        AnswerYes answer;
        if (table != nullptr) {
            const auto window = Start(*table);
            QApplication::processEvents();
        } else {
            StartUpMs(nullptr);
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("  %-16s %8ld KiB\n", what, usage.ru_maxrss);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

} // namespace

BENCHMARK(BM_ShowDetailWith31Samples);
BENCHMARK(BM_ApplyEdit);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // --short: one start-up of each kind instead of fifteen, for CI.
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--short") {
            quick = true;
            std::copy(argv + i + 1, argv + argc, argv + i);
            --argc;
            break;
        }
    }
    // Memory first, each in a process of its own, before this one has loaded anything.
    std::printf("peak resident memory of a fresh process:\n");
    std::fflush(stdout);
    ReportPeakMemory(argc, argv, "empty Qt window", nullptr);
    ReportPeakMemory(argc, argv, "typical table", &BenchTables().typical);
    ReportPeakMemory(argc, argv, "largest table", &BenchTables().largest);

    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    ReportStartUp(quick ? 1 : 15);
    benchmark::Shutdown();
    return 0;
}
