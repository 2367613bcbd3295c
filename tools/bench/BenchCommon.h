#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// What terravell-bench and terravell-peer share: timing, percentiles and
// the child processes each measure runs in.
using BenchClock = std::chrono::steady_clock;

double MsSince(BenchClock::time_point start);
// The sample below which the fraction p of the samples lie.
double Percentile(std::vector<double> samples, double p);

// Whether a timed run goes on after `done` frames and `elapsedMs`: until
// `frames`, or, past `budgetMs`, as soon as there are enough for a p95.
bool KeepTiming(long done, long frames, double elapsedMs, double budgetMs);

// A whole number of at least 1, all of `text`; false otherwise.
bool PositiveNumber(const char* text, long& out);

// Runs `work` in a forked child and returns what it wrote to the descriptor
// it is given (empty when nothing). A process of its own gives each measure
// its own peak memory, window and GL context.
std::string InChild(const std::function<void(int resultFd)>& work);
