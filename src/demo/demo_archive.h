#pragma once

#include <cstddef>
#include <cstdint>

// The built-in demo model archive, generated at build time by make-demo-archive.
const uint8_t* demoArchiveData();
size_t demoArchiveSize();
