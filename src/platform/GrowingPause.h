#pragma once
// The pause before another attempt at something that failed (the broker, the line): it doubles
// with every failure from the first pause up to the longest, and starts again after a success.
// 1 s, 2 s, 4 s, ... 32 s, 60 s, 60 s, ...

#include <algorithm>

class GrowingPause {
public:
    explicit GrowingPause(int firstMs = 1000, int longestMs = 60000)
        : firstMs_(firstMs)
        , longestMs_(longestMs)
        , nextMs_(firstMs) {}
    // The pause to wait now; the one after it is twice as long.
    int next() {
        const int now = nextMs_;
        nextMs_ = std::min(longestMs_, nextMs_ * 2);
        return now;
    }
    void reset() { nextMs_ = firstMs_; }

private:
    int firstMs_;
    int longestMs_;
    int nextMs_;
};
