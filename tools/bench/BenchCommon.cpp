#include "tools/bench/BenchCommon.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

double MsSince(BenchClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

double Percentile(std::vector<double> samples, double p)
{
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, size_t(p * double(samples.size())))];
}

bool KeepTiming(long done, long frames, double elapsedMs, double budgetMs)
{
    const long fewest = 5;
    return done < frames && (done < fewest || elapsedMs < budgetMs);
}

std::string InChild(const std::function<void(int resultFd)>& work)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "";
    // Or the child would print the parent's buffered lines again.
    fflush(stdout);
    fflush(stderr);
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        work(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    std::string result;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, size_t(got));
    close(fds[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return result;
}

bool PositiveNumber(const char* text, long& out)
{
    char* end = nullptr;
    errno = 0;
    out = strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && out >= 1;
}
