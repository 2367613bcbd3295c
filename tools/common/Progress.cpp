#include "tools/common/Progress.h"

#include <unistd.h>

namespace {

constexpr double SHOW_AFTER = 1.0;    // seconds: shorter commands stay as they were
constexpr double REDRAW_EVERY = 0.1;  // seconds between two versions of the line

}  // namespace

CProgress::CProgress(FILE* out, bool shown) : out(out), shown(shown), start(std::chrono::steady_clock::now()) {}

CProgress ProgressOnStderr() { return CProgress(stderr, isatty(STDERR_FILENO) != 0); }

double CProgress::Seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void CProgress::Begin(const std::string& name, uint64_t steps)
{
    stage = name;
    total = steps;
    done = 0;
}

void CProgress::AdvanceAt(uint64_t steps, double seconds)
{
    done += steps;
    if (!shown || seconds < SHOW_AFTER || seconds - drawnAt < REDRAW_EVERY)
        return;
    std::string text = stage;
    if (total > 0)
        text += " " + std::to_string(done >= total ? 100 : done * 100 / total) + "%";
    text += " (" + std::to_string(int(seconds)) + " s)";
    if (text == line)
        return;
    // Over the line before, padded so no end of a longer one is left.
    fprintf(out, "\r%s%*s", text.c_str(), line.size() > text.size() ? int(line.size() - text.size()) : 0, "");
    fflush(out);
    line = text;
    drawnAt = seconds;
}

void CProgress::Clear()
{
    if (line.empty())
        return;
    fprintf(out, "\r%*s\r", int(line.size()), "");
    fflush(out);
    line.clear();
    drawnAt = -1.0;
}
