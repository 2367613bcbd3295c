#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

// One line on a terminal that tells how far a long command has come: drawn
// only once the command has run for a second, redrawn at most ten times a
// second, and cleared before the command prints anything else, so that
// short runs, logs and pipes never see it.
class CProgress {
public:
    // The line goes to `out`, and only when `shown` (`out` is a terminal).
    CProgress(FILE* out, bool shown);
    // A command that ends early (out of memory) leaves no line before its own.
    ~CProgress() { Clear(); }
    CProgress(const CProgress&) = delete;  // one line, cleared once
    CProgress& operator=(const CProgress&) = delete;

    // A new stage of the work, of `total` steps (0: not counted), shown
    // from its first Advance.
    void Begin(const std::string& stage, uint64_t total = 0);
    // `steps` more of the stage done; 0 only keeps the line alive.
    void Advance(uint64_t steps = 1) { AdvanceAt(steps, Seconds()); }
    // The same at `seconds` since the command began.
    void AdvanceAt(uint64_t steps, double seconds);
    // Takes the line off the terminal, if it is there.
    void Clear();

private:
    FILE* out;
    bool shown;
    std::chrono::steady_clock::time_point start;
    std::string stage, line;
    uint64_t total = 0, done = 0;
    double drawnAt = -1.0;

    double Seconds() const;
};

// The progress of a tool's command, on standard error when it is a terminal.
CProgress ProgressOnStderr();
