#include "cli/Progress.h"

#include <unistd.h>

#include <cstdio>

namespace vantrel::cli {

Progress::Progress(size_t total, size_t threshold)
    : total_(total), visible_(total >= threshold && ::isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() {
    if (visible_) std::fputc('\n', stderr);
}

void Progress::advance() {
    ++done_;
    // About a hundred updates for the whole run, and always the last one.
    if (visible_ && (done_ % (total_ / 100 + 1) == 0 || done_ == total_)) show();
}

void Progress::show() const {
    std::fprintf(stderr, "\rvantrel-report: %zu of %zu pages written", done_, total_);
    std::fflush(stderr);
}

}  // namespace vantrel::cli
