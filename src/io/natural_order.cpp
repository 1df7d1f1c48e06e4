#include "io/natural_order.h"

#include <cctype>
#include <cstddef>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char folded(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Compares the digit runs starting at a[i] and b[j] by value, without converting them, so any
// length works; advances i and j past them. Negative, zero or positive.
int compareNumbers(const std::string& a, size_t& i, const std::string& b, size_t& j) {
    while (i < a.size() && a[i] == '0') ++i;
    while (j < b.size() && b[j] == '0') ++j;
    const size_t startA = i, startB = j;
    while (i < a.size() && isDigit(a[i])) ++i;
    while (j < b.size() && isDigit(b[j])) ++j;
    const size_t lengthA = i - startA, lengthB = j - startB;
    if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
    return a.compare(startA, lengthA, b, startB, lengthB);
}

}  // namespace

bool naturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const int order = compareNumbers(a, i, b, j);
            if (order != 0) return order < 0;
            continue;
        }
        const char x = folded(a[i]), y = folded(b[j]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return j < b.size();  // the shorter comes first
    return a < b;
}
