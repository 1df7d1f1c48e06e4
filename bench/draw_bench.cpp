// Drawing under GLUT (on Xvfb with Mesa in scripts/bench.sh): the start-up of the three views
// up to their first complete frame, the time of one drawFrame in each window next to a vertex
// array reference in the same context, the frame by display-list form, and the frames per
// second of a simulated mouse drag.
// Usage: veldraxis_draw_bench [--quick] (--demo | ARCHIVE)

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bench_archives.h"
#include "frame_timing.h"
#include "list_variants.h"
#include "model/bone_node.h"
#include "model/matrix.h"
#include "model/model.h"
#include "model/model_state.h"
#include "model/part_mesh.h"
#include "render/views.h"
#include "vertex_array_reference.h"
#include "viewer_startup.h"

#ifdef VELDRAXIS_HAVE_DEMO_MODEL
#include "demo_archive.h"
#endif

namespace {

const char* const viewNames[3] = {"main", "side", "up"};

// The loaders print to stdout, which goes to /dev/null; the report goes to the original stdout.
FILE* report = stdout;

struct Plan {
    int rounds;    // frames are timed in rounds, each form or reference in turn
    int perRound;  // frames per form and round
    int dragSteps;
};

void swapAfter(const std::function<void()>& render) {
    render();
    glFlush();
    glutSwapBuffers();
}

void reportStartup(const StartupTimes& t) {
    std::fprintf(report,
                 "start-up to the first complete frame of the three views: %.1f ms\n"
                 "  glutInit and two windows %.1f, loadTextures %.1f, loadSkeleton %.1f,\n"
                 "  prepareWindow side %.1f, up %.1f, main %.1f (until the main loop %.1f ms),\n"
                 "  first frames of the three windows %.1f\n",
                 t.firstFrameMs, t.windowsMs, t.texturesMs, t.skeletonMs, t.prepareMs[ViewSide],
                 t.prepareMs[ViewUp], t.prepareMs[ViewMain], t.beforeLoopMs,
                 t.firstFrameMs - t.beforeLoopMs);
}

// drawFrame next to the vertex-array reference in each window, alternating in rounds so that
// a change in the machine's load hits both alike. Returns each window's median frame.
std::vector<double> measureFrames(const VertexArrayReference& reference, const Plan& plan) {
    std::fprintf(report,
                 "\none frame (ms, median of %d; mean in brackets): drawFrame = the viewer's frame "
                 "(display lists, then swap);\nreference = the same %zu triangles from one vertex "
                 "array (client memory / buffer object), same state and swap\n",
                 plan.rounds * plan.perRound, reference.triangleCount());
    std::fprintf(report, "%-5s %18s %18s %18s %8s\n", "view", "drawFrame", "ref (array)",
                 "ref (buffer)", "ratio");
    double worstRatio = 0.0;
    std::vector<double> frameMs;
    for (int view = 0; view < 3; ++view) {
        glutSetWindow(viewWindows[view]);
        const GLuint buffer = reference.uploadBuffer();
        const std::function<void()> draws[3] = {
            drawFrame, [&] { swapAfter([&] { reference.render(0); }); },
            [&] { swapAfter([&] { reference.render(buffer); }); }};
        Samples samples[3];
        for (const auto& draw : draws) timeOne(draw);  // warm up
        for (int r = 0; r < plan.rounds; ++r) {
            for (int d = 0; d < 3; ++d) {
                for (int i = 0; i < plan.perRound; ++i) samples[d].ms.push_back(timeOne(draws[d]));
            }
        }
        const double ratio =
            samples[0].median() / std::min(samples[1].median(), samples[2].median());
        worstRatio = std::max(worstRatio, ratio);
        frameMs.push_back(samples[0].median());
        std::fprintf(report, "%-5s %8.2f (%7.2f) %8.2f (%7.2f) %8.2f (%7.2f) %7.2fx\n",
                     viewNames[view], samples[0].median(), samples[0].mean(), samples[1].median(),
                     samples[1].mean(), samples[2].median(), samples[2].mean(), ratio);
    }
    std::fprintf(report, "drawFrame / faster reference, worst window: %.2fx (target <= 1.5x: %s)\n",
                 worstRatio, worstRatio <= 1.5 ? "met" : "MISSED");
    return frameMs;
}

// The main window's back buffer after one frame of the form.
std::vector<uint8_t> picture(const ListVariants& variants, ListForm form) {
    variants.render(form);
    glFinish();
    std::vector<uint8_t> pixels(4u * 320u * 720u);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 320, 720, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glutSwapBuffers();
    return pixels;
}

size_t differingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t differing = 0;
    for (size_t p = 0; p + 3 <= a.size() && p + 3 <= b.size(); p += 4) {
        if (std::memcmp(&a[p], &b[p], 3) != 0) ++differing;
    }
    return differing;
}

// Where the frame's time goes: the same polygons compiled as one list per pass in several
// forms, in the main window, interleaved with the viewer's frame; and whether each form draws
// the same picture as the viewer's form.
void measureListForms(const VertexArrayReference& reference, const Plan& plan,
                      double mainPrepareMs) {
    glutSetWindow(viewWindows[ViewMain]);
    ListVariants variants;
    variants.compile(reference.polygons());
    const size_t forms = std::size(kListForms);
    std::vector<std::function<void()>> draws{drawFrame};
    for (ListForm form : kListForms) {
        draws.push_back([&variants, form] { swapAfter([&] { variants.render(form); }); });
    }
    std::vector<Samples> samples(draws.size());
    for (const auto& draw : draws) timeOne(draw);
    for (int r = 0; r < plan.rounds; ++r) {
        for (size_t d = 0; d < draws.size(); ++d) {
            for (int i = 0; i < plan.perRound; ++i) samples[d].ms.push_back(timeOne(draws[d]));
        }
    }
    std::fprintf(report,
                 "\nwhat the frame costs by list form (main window: frame median ms, compiling "
                 "the lists once ms,\npixels that differ from the viewer's form drawn from the "
                 "same vertices):\n");
    std::fprintf(report, "  %-56s %8.2f %10.1f\n", "drawFrame (per-part lists under the bone tree)",
                 samples[0].median(), mainPrepareMs);
    const std::vector<uint8_t> viewerPicture = picture(variants, ListForm::PolygonNormalMaterial);
    std::vector<uint8_t> background(viewerPicture.size());
    for (size_t p = 0; p + 3 <= background.size(); p += 4) {
        background[p] = 64;  // the clear colour (0.25, 0.5, 0.75)
        background[p + 1] = 128;
        background[p + 2] = 191;
    }
    std::fprintf(report, "  (the model covers %zu of the main window's %zu pixels)\n",
                 differingPixels(viewerPicture, background), viewerPicture.size() / 4);
    for (size_t f = 0; f < forms; ++f) {
        std::fprintf(report, "  %-56s %8.2f %10.1f %9zu\n", listFormName(kListForms[f]),
                     samples[f + 1].median(), variants.compileMs(kListForms[f]),
                     differingPixels(picture(variants, kListForms[f]), viewerPicture));
    }
}

// The proposed change itself: every part's two lists compiled again, in each window, with
// each polygon as GL_TRIANGLES in its fan, in the part's own frame; the parts then point at
// those lists or at the viewer's own.
constexpr GLuint kFanListBase = 100000;
std::vector<int32_t> viewerListBase;

void compileFanPartLists() {
    for (size_t i = 0; i < partList.size(); ++i) {
        std::vector<WorldPolygon> polygons;
        for (size_t p = 0; p < partList[i]->polygonCount(); ++p) {
            const PolygonView polygon = partList[i]->polygon(p);
            if (polygon.cornerCount() < 3) continue;
            WorldPolygon local;
            for (size_t k = 0; k < polygon.cornerCount(); ++k) {
                local.positions.push_back(polygon.position(k));
                local.colors.push_back(polygon.color(k));
                if (polygon.isTextured()) local.texCoords.push_back(polygon.texCoord(k));
            }
            polygons.push_back(std::move(local));
        }
        for (int textured = 0; textured < 2; ++textured) {
            glNewList(kFanListBase + static_cast<GLuint>(2 * i + textured), GL_COMPILE);
            compilePolygonPass(polygons, textured == 1, ListForm::FanTrianglesNormalMaterial);
            glEndList();
        }
    }
}

void useFanPartLists(bool fan) {
    if (viewerListBase.empty()) {
        for (const PartMesh* mesh : partList) viewerListBase.push_back(mesh->listBase);
    }
    for (size_t i = 0; i < partList.size(); ++i) {
        partList[i]->listBase =
            fan ? static_cast<int32_t>(kFanListBase + 2 * i) : viewerListBase[i];
    }
}

// drawFrame with the viewer's lists, with the fan-triangle lists and the reference, in turn.
void measureFanPartLists(const VertexArrayReference& reference, const Plan& plan) {
    for (int view = 0; view < 3; ++view) {
        glutSetWindow(viewWindows[view]);
        compileFanPartLists();
    }
    glutSetWindow(viewWindows[ViewMain]);
    const GLuint referenceBuffer = reference.uploadBuffer();
    const std::function<void()> draws[3] = {
        [&] {
            useFanPartLists(false);
            drawFrame();
        },
        [&] {
            useFanPartLists(true);
            drawFrame();
        },
        [&] { swapAfter([&] { reference.render(referenceBuffer); }); }};
    Samples samples[3];
    for (const auto& draw : draws) timeOne(draw);
    for (int r = 0; r < plan.rounds; ++r) {
        for (int d = 0; d < 3; ++d) {
            for (int i = 0; i < plan.perRound; ++i) samples[d].ms.push_back(timeOne(draws[d]));
        }
    }
    useFanPartLists(false);
    const double referenceMs = samples[2].median();
    std::fprintf(report,
                 "\ndrawFrame with every part's lists compiled as GL_TRIANGLES fans (main window, "
                 "ms, median):\n  viewer's lists %.2f (%.2fx), fan-triangle lists %.2f (%.2fx), "
                 "reference %.2f (target <= 1.5x: %s with fan triangles)\n",
                 samples[0].median(), samples[0].median() / referenceMs, samples[1].median(),
                 samples[1].median() / referenceMs, referenceMs,
                 samples[1].median() / referenceMs <= 1.5 ? "met" : "MISSED");
}

Matrix4 rotation(int axis, float radians) {
    Matrix4 m = identityMatrix();
    const float c = std::cos(radians), s = std::sin(radians);
    const int a = axis == 2 ? 0 : 1, b = axis == 2 ? 1 : 2;  // z turns x, y; x turns y, z
    m[4 * a + a] = c;
    m[4 * a + b] = s;
    m[4 * b + a] = -s;
    m[4 * b + b] = c;
    return m;
}

// A drag: each motion turns the selection about z and about x (two rotateBone calls), then the
// main window redraws and the side and up windows follow, as the handlers do. One drag with the
// whole model selected, one with bone id 1.
void measureDragSteps(const Plan& plan) {
    const Matrix4 aboutZ = rotation(2, 0.025f), aboutX = rotation(0, 0.0125f);
    const int32_t targets[2] = {0, partList.empty() ? 0 : 1};
    for (int32_t target : targets) {
        selectedBone = target;
        const auto start = Clock::now();
        for (int s = 0; s < plan.dragSteps; ++s) {
            rootNode->rotateBone(aboutZ, selectedBone);
            rootNode->rotateBone(aboutX, selectedBone);
            for (int view = 0; view < 3; ++view) {
                glutSetWindow(viewWindows[view]);
                drawFrame();
                glFinish();
            }
        }
        const double ms = msSince(start) / plan.dragSteps;
        std::fprintf(report,
                     "  selected %s: %.1f ms per motion = %.1f motions (frames) per second\n",
                     target == 0 ? "whole model (id 0)" : "bone id 1", ms, 1000.0 / ms);
    }
}

// The drag with the viewer's part lists, then with the fan-triangle ones.
void measureDrag(const Plan& plan, const std::vector<double>& frameMs) {
    std::fprintf(report,
                 "\ndrag (rotateBone about z and x, then drawFrame in the three windows, "
                 "%d motions):\n",
                 plan.dragSteps);
    for (bool fan : {false, true}) {
        useFanPartLists(fan);
        std::fprintf(report, " with the %s lists:\n", fan ? "fan-triangle" : "viewer's");
        measureDragSteps(plan);
    }
    useFanPartLists(false);
    std::fprintf(report, "  (the viewer's three frames alone: %.1f ms)\n",
                 frameMs[0] + frameMs[1] + frameMs[2]);
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = false;
    bool scratch = false;
    std::string archive;
    std::string label;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--demo") == 0) {
#ifdef VELDRAXIS_HAVE_DEMO_MODEL
            archive = scratchPath("demo.bin");
            archive_builder::writeFile(
                archive,
                archive_builder::Bytes(demoArchiveData(), demoArchiveData() + demoArchiveSize()));
            label = "demo model";
            scratch = true;
#else
            std::fprintf(stderr, "the demo model is not built\n");
            return 1;
#endif
        } else if (argv[i][0] != '-') {
            archive = argv[i];
            label = archive;
        }
    }
    if (archive.empty()) {
        std::fprintf(stderr, "usage: %s [--quick] (--demo | ARCHIVE)\n", argv[0]);
        return 2;
    }

    report = fdopen(dup(fileno(stdout)), "w");
    if (!report || !std::freopen("/dev/null", "w", stdout)) return 1;
    createRootNode();
    Model model;
    const StartupTimes startup = startThreeViews(model, archive.c_str(), argc, argv);
    if (scratch) std::remove(archive.c_str());

    size_t polygons = 0;
    for (const PartMesh* mesh : partList) polygons += mesh->polygonCount();
    std::fprintf(report, "model: %s: %zu bones, %zu polygons (all parts shown)\n", label.c_str(),
                 partList.size(), polygons);
    std::fprintf(report, "GL_RENDERER: %s\nGL_VERSION: %s\n",
                 reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                 reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    reportStartup(startup);

    const bool large = polygons > 100000;
    const Plan plan{quick ? 2 : 5, quick ? 2 : (large ? 4 : 40), quick ? 3 : (large ? 12 : 120)};
    VertexArrayReference reference;
    reference.build();
    const std::vector<double> frameMs = measureFrames(reference, plan);
    measureListForms(reference, plan, startup.prepareMs[ViewMain]);
    measureFanPartLists(reference, plan);
    measureDrag(plan, frameMs);
    std::fflush(report);
    return 0;
}
