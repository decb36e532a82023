#include "cli/progress_bar.h"

#include <cstdio>

namespace {
constexpr int kBarWidth = 20;
}

std::string FormatDuration(double seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    const long total = static_cast<long>(seconds + 0.5);
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, (total / 60) % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}

std::string FormatProgressLine(size_t done, size_t total, double elapsedSeconds) {
    if (done > total) {
        done = total;
    }
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    const int filled = percent * kBarWidth / 100;
    std::string line = "[";
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(kBarWidth - filled), ' ');
    char counts[96];
    std::snprintf(counts, sizeof counts, "] %3d%%  %zu/%zu  elapsed ", percent, done, total);
    line += counts;
    line += FormatDuration(elapsedSeconds);
    line += "  left ";
    if (done == 0 || total == 0) {
        line += "--:--";
    } else {
        const double perPicture = elapsedSeconds / static_cast<double>(done);
        line += FormatDuration(perPicture * static_cast<double>(total - done));
    }
    return line;
}

ProgressBar::ProgressBar(std::FILE* stream, bool enabled)
    : stream_(stream), enabled_(enabled), start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
    Finish();
}

void ProgressBar::Update(size_t done, size_t total) {
    if (!enabled_) {
        return;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(stream_, "\r%s\033[K", FormatProgressLine(done, total, elapsed).c_str());
    std::fflush(stream_);
    drawn_ = true;
}

void ProgressBar::Finish() {
    if (!enabled_ || !drawn_) {
        return;
    }
    std::fprintf(stream_, "\r\033[K");
    std::fflush(stream_);
    drawn_ = false;
}
