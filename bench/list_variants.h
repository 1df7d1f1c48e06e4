#pragma once

// Display lists of the same model-space polygons in several forms, to show what the frame's
// cost comes from: the viewer's form (one GL_POLYGON per polygon with a normal and a material
// colour per corner), the same without the material calls, without the normal as well, the
// viewer's form with each triangle as GL_TRIANGLES and each quad as GL_QUADS instead of
// GL_POLYGON, the viewer's form with each polygon as GL_TRIANGLES in the fan (0, i, i + 1)
// that GL_POLYGON is split into, and the polygons as one GL_TRIANGLES block per pass.

#include <GL/gl.h>

#include <iterator>
#include <vector>

#include "vertex_array_reference.h"

enum class ListForm {
    PolygonNormalMaterial,
    PolygonNormal,
    PolygonOnly,
    TrianglesQuadsNormalMaterial,
    FanTrianglesNormalMaterial,
    Triangles
};
constexpr ListForm kListForms[] = {ListForm::PolygonNormalMaterial,
                                   ListForm::PolygonNormal,
                                   ListForm::PolygonOnly,
                                   ListForm::TrianglesQuadsNormalMaterial,
                                   ListForm::FanTrianglesNormalMaterial,
                                   ListForm::Triangles};
const char* listFormName(ListForm form);

// Emits the textured or the untextured polygons in the given form into the list being compiled.
void compilePolygonPass(const std::vector<WorldPolygon>& polygons, bool textured, ListForm form);

class ListVariants {
  public:
    // Compiles every form into the current context (two lists per form: untextured, textured).
    void compile(const std::vector<WorldPolygon>& polygons);
    // One frame from the lists of that form, without flush and swap.
    void render(ListForm form) const;
    // Milliseconds that compiling the form's two lists took.
    double compileMs(ListForm form) const { return compileMs_[static_cast<int>(form)]; }

  private:
    GLuint base_ = 0;
    double compileMs_[std::size(kListForms)] = {};
};
