#include <QtGlobal>

#ifdef TANDOR28_BENCH_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include <benchmark/benchmark.h>

// A Qt application object exists for the whole run, so benchmarks may use Qt's event loop, engines
// and, when the window layer is built, widgets on the offscreen platform.
int main(int argc, char** argv)
{
#ifdef TANDOR28_BENCH_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
