#pragma once

#include <string>

// File names as a person counts them: a run of digits compares by its number, so "a2.bin" comes
// before "a10.bin"; letters compare without regard to case. Names that compare alike that way
// ("a01" and "a1", "A" and "a") fall back to byte order, so the order is total.
bool naturalLess(const std::string& a, const std::string& b);
