#pragma once
// Function codes of the answers the tool takes: reads 1 and 3, writes 5, 10, 15 and 16.

#include <cstdint>

inline bool isReadFunction(uint8_t f) {
    return f == 1 || f == 3;
}
inline bool isWriteFunction(uint8_t f) {
    return f == 5 || f == 10 || f == 15 || f == 16;
}
