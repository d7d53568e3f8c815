#pragma once
// The benchmarks' one measure: the median of repeated runs.

#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <vector>

// The median of `rounds` runs of `body`, in milliseconds.
inline double median(int rounds, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        body();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
