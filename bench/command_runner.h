// Times whole commands as a user runs them: each in a process of its own, the commands taking turns
// run after run, with the median wall time and the peak memory the kernel counted for the process.
#pragma once

#include <string>
#include <vector>

namespace bcfbench {

struct Command {
    std::string group;                // the work compared, e.g. "info 2,000 topics"
    std::string tool;                 // who does it, e.g. "bcf" or "limit"
    std::vector<std::string> argv;    // program and arguments
    std::string output = "/dev/null"; // where its standard output goes
};

struct CommandTimes {
    std::vector<double> seconds;    // wall time of each run
    std::vector<double> cpuSeconds; // user and system time of each run, all threads
    double peakMiB = 0;             // the largest peak resident set of any run
    double median() const;
    double medianCpu() const;
};

// Runs every command `runs` times, one after another within each run, so that a busy moment of
// the machine falls on all of them alike. Throws std::runtime_error when a command fails.
std::vector<CommandTimes> runAlternating(const std::vector<Command>& commands, int runs);

} // namespace bcfbench
