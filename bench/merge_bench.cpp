// bcf-merge-bench: writes two synthetic archives of the same project as a coordinator's and a
// consultant's copy (a quarter of the topics edited later with a comment more, a tenth new) and
// times loading both, merging and saving; `/usr/bin/time -v bcf merge` gives the tool's figures.
//
//   bcf-merge-bench [--topics N] DIR

#include "synthetic_archive.h"

#include "codec/archive.h"
#include "codec/merge.h"
#include "codec/payloads.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The consultant's copy: every fourth topic answered later (new status, one more comment), every
// tenth replaced by a topic of its own.
bcf::BcfData consultantCopy(bcf::BcfData data) {
    for (std::size_t t = 0; t < data.markups.size(); ++t) {
        bcf::Markup& markup = data.markups[t];
        if (t % 10 == 5) {
            markup.topic.guid.replace(0, 8, "c0ffee00");
            markup.topic.title = "Consultant's topic " + std::to_string(t);
            for (bcf::Comment& comment : markup.comments)
                comment.guid.replace(0, 8, "c0ffee00");
            for (bcf::ViewPoint& viewPoint : markup.viewPoints)
                viewPoint.guid.replace(0, 8, "c0ffee00"), viewPoint.visualizationInfo.guid = viewPoint.guid;
        } else if (t % 4 == 0) {
            markup.topic.topicStatus = "Resolved";
            markup.topic.modifiedDate = "2025-01-15T09:00:00Z";
            bcf::Comment answer = markup.comments.front();
            answer.guid.replace(0, 8, "a0a0a0a0");
            answer.date = "2025-01-15T09:00:00Z";
            answer.comment = "Duct lowered by 80 mm; please check.";
            markup.comments.push_back(answer);
        }
    }
    return data;
}

} // namespace

int main(int argc, char** argv) {
    int topics = 2000;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--topics" && i + 1 < argc)
            topics = std::atoi(argv[++i]);
        else
            folder = arg;
    }
    if (folder.empty() || topics <= 0) {
        std::fprintf(stderr, "usage: %s [--topics N] DIR\n", argv[0]);
        return 2;
    }
    std::filesystem::create_directories(folder);
    const std::string base = folder + "/coordinator.bcf", other = folder + "/consultant.bcf";
    bcf::BcfDocument written{bcfbench::makeSyntheticModel(topics, 20 * 1024),
                             std::make_shared<bcf::ZipArchive>()};
    bcf::BcfDocument copy{consultantCopy(written.data), written.archive};
    bcf::saveArchive(base, written, bcf::BcfVersion::V3_0);
    bcf::saveArchive(other, copy, bcf::BcfVersion::V3_0);
    written = {}, copy = {};
    const long before = peakKilobytes();

    auto start = Clock::now();
    const bcf::BcfDocument coordinator = bcf::loadArchive(base);
    const bcf::BcfDocument consultant = bcf::loadArchive(other);
    const double load = secondsSince(start);
    start = Clock::now();
    bcf::MergeResult result = bcf::mergeArchives(coordinator, consultant);
    const double merge = secondsSince(start);
    start = Clock::now();
    bcf::BcfDocument merged{std::move(result.data), coordinator.archive};
    bcf::saveArchive(folder + "/merged.bcf", merged, bcf::BcfVersion::V3_0);
    const double save = secondsSince(start);
    std::printf("%d topics each: load both %.3f s, merge %.3f s, save %.3f s; %zu topics added, %zu updated, "
                "%zu comments added; peak memory %ld MiB (%ld MiB before loading)\n",
                topics, load, merge, save, result.summary.topicsAdded(), result.summary.topicsUpdated(),
                result.summary.commentsAdded, peakKilobytes() / 1024, before / 1024);
    return 0;
}
