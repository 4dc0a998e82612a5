#include <cstdint>
#include <limits>

#include "wingdi.h"

int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
    if (nDenominator == 0) {
        return -1;
    }
    std::int64_t product = static_cast<std::int64_t>(nNumber) * nNumerator;
    std::int64_t denominator = nDenominator;
    if (denominator < 0) {
        product = -product;
        denominator = -denominator;
    }
    // Half away from zero: add half the denominator to the magnitude before dividing.
    std::int64_t half = denominator / 2;
    std::int64_t result = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(result);
}
