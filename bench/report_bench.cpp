// bcf-report-bench: times an issue report of an archive and weighs its peak memory against the
// archive's model with every snapshot held, which is what the report reads.
//
//   bcf-report-bench ARCHIVE OUT.pdf|OUT.xlsx|OUT.csv
// (bcf-bench --topics 2000 --keep DIR makes a large archive to feed it.)

#include "codec/archive.h"
#include "codec/payloads.h"
#include "report/report.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ARCHIVE OUT.pdf|OUT.xlsx|OUT.csv\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    try {
        const double base = residentMiB();
        auto start = Clock::now();
        bcf::BcfDocument document = bcf::loadArchive(argv[1]);
        bcf::BcfData& data = document.data;
        std::printf("load: %zu topics in %.2f s, %.1f MiB above the start\n", data.markups.size(),
                    secondsSince(start), residentMiB() - base);

        bcf::ReportOptions options;
        options.archiveFile = argv[1];
        start = Clock::now();
        bcf::writeReport(argv[2], document, bcf::filterTopics(data, {}), options);
        const double reportSeconds = secondsSince(start);
        const double reportPeak = peakMiB() - base;
        std::printf("report %s: %.2f s, peak %.1f MiB above the start\n", argv[2], reportSeconds, reportPeak);

        // The model as it is once every snapshot is held: the yardstick for the report's memory.
        for (bcf::Markup& markup : data.markups) {
            for (bcf::ViewPoint& viewPoint : markup.viewPoints)
                bcf::fetchSnapshot(*document.archive, markup, viewPoint);
        }
        const double model = residentMiB() - base;
        std::printf("model with every snapshot: %.1f MiB above the start; report peak / model = %.2f\n",
                    model, reportPeak / model);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bcf-report-bench: %s\n", error.what());
        return 1;
    }
}
