#pragma once

class BoneNode;

// Draws each visible part of the tree below root under its bone matrices, one pass each.
void drawUntexturedTree(const BoneNode& root, int axesList);
void drawTexturedTree(const BoneNode& root);
