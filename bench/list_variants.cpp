#include "list_variants.h"

#include <chrono>

#include "model/polygon.h"

const char* listFormName(ListForm form) {
    switch (form) {
        case ListForm::PolygonNormalMaterial:
            return "polygons + normal + material (the viewer's form)";
        case ListForm::PolygonNormal:
            return "polygons + normal";
        case ListForm::PolygonOnly:
            return "polygons";
        case ListForm::TrianglesQuadsNormalMaterial:
            return "the viewer's form, GL_TRIANGLES/GL_QUADS per polygon";
        case ListForm::FanTrianglesNormalMaterial:
            return "the viewer's form, GL_TRIANGLES fan per polygon";
        case ListForm::Triangles:
            return "one GL_TRIANGLES block";
    }
    return "";
}

namespace {

void corner(const WorldPolygon& polygon, size_t i, bool textured, bool material) {
    const Color3& c = polygon.colors[i];
    if (material) {
        const GLfloat diffuse[4] = {c.red(), c.green(), c.blue(), 1.0f};
        glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    }
    glColor3f(c.red(), c.green(), c.blue());
    if (textured) {
        glTexCoord2f(polygon.texCoords[i].x(), polygon.texCoords[i].y());
        if (material) {
            const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
            glMaterialfv(GL_FRONT, GL_DIFFUSE, white);
        }
    }
    const Vec3& p = polygon.positions[i];
    glVertex3f(p.x(), p.y(), p.z());
}

}  // namespace

void compilePolygonPass(const std::vector<WorldPolygon>& polygons, bool textured, ListForm form) {
    const bool separateModes = form == ListForm::TrianglesQuadsNormalMaterial;
    const bool fan = form == ListForm::FanTrianglesNormalMaterial;
    const bool material = form == ListForm::PolygonNormalMaterial || separateModes || fan;
    const bool normal = material || form == ListForm::PolygonNormal;
    if (form == ListForm::Triangles) glBegin(GL_TRIANGLES);
    for (const WorldPolygon& polygon : polygons) {
        if (polygon.texCoords.empty() == textured) continue;
        if (form == ListForm::Triangles) {
            for (size_t i = 1; i + 1 < polygon.positions.size(); ++i) {
                corner(polygon, 0, textured, false);
                corner(polygon, i, textured, false);
                corner(polygon, i + 1, textured, false);
            }
            continue;
        }
        if (fan) {
            const Vec3 n =
                computeFaceNormal(polygon.positions[0], polygon.positions[1], polygon.positions[2]);
            glBegin(GL_TRIANGLES);
            glNormal3f(n.x(), n.y(), n.z());
            for (size_t i = 1; i + 1 < polygon.positions.size(); ++i) {
                corner(polygon, 0, textured, material);
                corner(polygon, i, textured, material);
                corner(polygon, i + 1, textured, material);
            }
            glEnd();
            continue;
        }
        // Quads keep the outline order, so GL_QUADS covers the same area as GL_POLYGON.
        GLenum mode = GL_POLYGON;
        if (separateModes && polygon.positions.size() == 3) mode = GL_TRIANGLES;
        if (separateModes && polygon.positions.size() == 4) mode = GL_QUADS;
        glBegin(mode);
        if (normal) {
            const Vec3 n =
                computeFaceNormal(polygon.positions[0], polygon.positions[1], polygon.positions[2]);
            glNormal3f(n.x(), n.y(), n.z());
        }
        for (size_t i = 0; i < polygon.positions.size(); ++i) {
            corner(polygon, i, textured, material);
        }
        glEnd();
    }
    if (form == ListForm::Triangles) glEnd();
}

void ListVariants::compile(const std::vector<WorldPolygon>& polygons) {
    constexpr GLsizei kLists = 2 * static_cast<GLsizei>(sizeof kListForms / sizeof kListForms[0]);
    base_ = glGenLists(kLists);
    GLuint list = base_;
    for (ListForm form : kListForms) {
        const auto start = std::chrono::steady_clock::now();
        for (bool textured : {false, true}) {
            glNewList(list++, GL_COMPILE);
            compilePolygonPass(polygons, textured, form);
            glEndList();
        }
        glFinish();
        compileMs_[static_cast<int>(form)] =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
}

void ListVariants::render(ListForm form) const {
    const GLuint lists = base_ + 2 * static_cast<GLuint>(form);
    renderTwoPassFrame([&] { glCallList(lists); }, [&] { glCallList(lists + 1); });
}
