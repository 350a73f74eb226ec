// A progress line on standard error for long runs, shown only when standard error is a
// terminal, so that logs and pipes get no carriage-return noise.
#pragma once

#include <cstddef>

namespace vantrel::cli {

class Progress {
public:
    // Shows nothing for fewer than threshold items.
    Progress(size_t total, size_t threshold);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void advance();

private:
    void show() const;

    size_t total_;
    size_t done_ = 0;
    bool visible_;
};

}  // namespace vantrel::cli
