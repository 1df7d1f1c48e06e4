#pragma once

#include <cstddef>

// Display-list numbering, the same in every window: part i of partList owns lists
// 1000 + 2i (untextured) and 1000 + 2i + 1 (textured).
constexpr int kPartListBase = 1000;
constexpr int kDefaultAxesList = 1023;

int partListBase(size_t partIndex);

// The texture object holding the texture page: the same name in every context, so that the
// views of one share group all see the page uploaded in any of them.
constexpr unsigned kPageTexture = 1;

// The list with the three coordinate axes for a model of partCount parts: 1023, unless the
// parts' lists reach it (twelve or more parts); then the first number after the last part's.
int axesListFor(size_t partCount);

class Model;
// The axes list of the model.
int axesList(const Model& model);
