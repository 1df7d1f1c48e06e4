#pragma once

class Polygon;

// One polygon as a GL_POLYGON of its own, for a display list being compiled: mode 0
// untextured, 1 textured. A polygon without the corners, colours or coordinates it needs is
// skipped.
void drawPolygon(const Polygon& polygon, int mode);
void drawIfUntextured(const Polygon& polygon);
void drawIfTextured(const Polygon& polygon);
