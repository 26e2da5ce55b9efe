// main() for benchmarks that open windows. The Qt application lives across
// every run and is destroyed before the process exits, after the
// benchmark's windows and GL devices: windows, GL contexts and the display
// connection then close in order. Left to exit() (a QApplication created on
// first use and never deleted), Qt's, Mesa's and libxcb's own exit-time
// destructors run while the display connection, its event reader thread and
// llvmpipe's threads are all still live.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#define TERRANOX_QT_BENCHMARK_MAIN()                                                          \
    int main(int argc, char** argv) {                                                         \
        std::unique_ptr<QApplication> qapp;                                                   \
        if (std::getenv("DISPLAY")) qapp = std::make_unique<QApplication>(argc, argv);        \
        benchmark::Initialize(&argc, argv);                                                   \
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;                     \
        benchmark::RunSpecifiedBenchmarks();                                                  \
        benchmark::Shutdown();                                                                \
        qapp.reset();                                                                         \
        return 0;                                                                             \
    }
