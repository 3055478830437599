#include "command_runner.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace bcfbench {

namespace {

// Runs `command` once; returns its wall time and adds its peak resident set to `times`.
double runOnce(const Command& command, CommandTimes& times) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, command.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : command.argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot run " + command.argv[0] + ": " + std::strerror(spawned));
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR)
            throw std::runtime_error("wait4 failed");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(command.tool + " " + command.group + " failed (status " +
                                 std::to_string(status) + ")");
    times.peakMiB = std::max(times.peakMiB, static_cast<double>(usage.ru_maxrss) / 1024.0);
    const auto toSeconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    times.cpuSeconds.push_back(toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime));
    return seconds;
}

} // namespace

namespace {

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

double CommandTimes::median() const {
    return medianOf(seconds);
}

double CommandTimes::medianCpu() const {
    return medianOf(cpuSeconds);
}

std::vector<CommandTimes> runAlternating(const std::vector<Command>& commands, int runs) {
    std::vector<CommandTimes> times(commands.size());
    for (int run = 0; run < runs; ++run)
        for (std::size_t i = 0; i < commands.size(); ++i)
            times[i].seconds.push_back(runOnce(commands[i], times[i]));
    return times;
}

} // namespace bcfbench
