// The one-line progress bar reelwright-cli draws on standard error while a build
// runs on a terminal: percent, pictures done of all, elapsed and remaining time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

// "[##########          ]  50%  3/6  elapsed 0:04  left 0:04" for the given state.
// Remaining time is estimated from the pace so far; unknown (before the first
// picture is done) it reads "left --:--".
std::string FormatProgressLine(size_t done, size_t total, double elapsedSeconds);

// "m:ss", or "h:mm:ss" from one hour on.
std::string FormatDuration(double seconds);

class ProgressBar {
  public:
    // Draws on stream only when enabled (standard error is a terminal, not quiet).
    ProgressBar(std::FILE* stream, bool enabled);
    ~ProgressBar();
    // Called when `done` of `total` pictures are finished.
    void Update(size_t done, size_t total);
    // Clears the line, so what follows starts on a clean line.
    void Finish();

  private:
    std::FILE* stream_;
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
};
