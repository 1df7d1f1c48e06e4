// Drawing under GLUT (on Xvfb with Mesa in scripts/bench.sh): the start-up of the three views
// up to their first complete frame, the time of one drawFrame in each window next to a vertex
// array reference in the same context, and the frames per second of a simulated mouse drag.
// Usage: veldraxis_draw_bench [--quick] (--demo | ARCHIVE)

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bench_archives.h"
#include "console/console.h"
#include "frame_timing.h"
#include "model/bone_node.h"
#include "model/matrix.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "render/views.h"
#include "vertex_array_reference.h"
#include "viewer_startup.h"

#ifdef VELDRAXIS_HAVE_DEMO_MODEL
#include "demo/demo_archive.h"
#endif

namespace {

const char* const viewNames[3] = {"main", "side", "up"};

// The loaders' console lines are discarded; the report goes to standard output.
FILE* const report = stdout;

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
    std::fprintf(
        report,
        "start-up to the first complete frame of the three views: %.1f ms\n"
        "  glutInit and two windows %.1f, loadTextures %.1f, loadSkeleton %.1f,\n"
        "  model drawing (once, one share group) %.1f, set-up side %.1f, up %.1f, main %.1f\n"
        "  (until the main loop %.1f ms), first frames of the three windows %.1f\n",
        t.firstFrameMs, t.windowsMs, t.texturesMs, t.skeletonMs, t.prepareMs, t.setUpMs[ViewSide],
        t.setUpMs[ViewUp], t.setUpMs[ViewMain], t.beforeLoopMs, t.firstFrameMs - t.beforeLoopMs);
}

// drawFrame next to the vertex-array reference in each window, alternating in rounds so that
// a change in the machine's load hits both alike. Returns each window's median frame.
std::vector<double> measureFrames(Model& model, const VertexArrayReference& reference,
                                  const Plan& plan) {
    std::fprintf(
        report,
        "\none frame (ms, median of %d; mean in brackets): drawFrame = the viewer's frame "
        "(vertex arrays per part, then swap);\nreference = the same %zu triangles from one vertex "
        "array (client memory / buffer object), same state and swap\n",
        plan.rounds * plan.perRound, reference.triangleCount());
    std::fprintf(report, "%-5s %18s %18s %18s %8s\n", "view", "drawFrame", "ref (array)",
                 "ref (buffer)", "ratio");
    double worstRatio = 0.0;
    std::vector<double> frameMs;
    const GLuint buffer = reference.uploadBuffer();  // the three views share the context
    for (int view = 0; view < 3; ++view) {
        glutSetWindow(viewWindows[view]);
        viewContexts.switchTo(static_cast<ViewIndex>(view));
        const std::function<void()> draws[3] = {
            [&] { drawFrame(model, shownDrawing, 0); },
            [&] { swapAfter([&] { reference.render(0); }); },
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
    std::fprintf(report, "drawFrame / faster reference, worst window: %.2fx (target <= 1.1x: %s)\n",
                 worstRatio, worstRatio <= 1.1 ? "met" : "MISSED");
    return frameMs;
}

// A drag: each motion turns the selection about z and about x (two rotateBone calls), then the
// main window redraws and the side and up windows follow, as the handlers do. One drag with the
// whole model selected, one with bone id 1.
void measureDragSteps(Model& model, const Plan& plan) {
    const Matrix4 aboutZ = rotationAboutZ(0.025), aboutX = rotationAboutX(0.0125);
    const int32_t targets[2] = {0, model.partList().empty() ? 0 : 1};
    BoneNode* rootNode = model.rootNode();
    for (int32_t selectedBone : targets) {
        const auto start = Clock::now();
        for (int s = 0; s < plan.dragSteps; ++s) {
            rootNode->rotateBone(aboutZ, selectedBone);
            rootNode->rotateBone(aboutX, selectedBone);
            for (int view = 0; view < 3; ++view) {
                glutSetWindow(viewWindows[view]);
                viewContexts.switchTo(static_cast<ViewIndex>(view));
                drawFrame(model, shownDrawing, selectedBone);
                glFinish();
            }
        }
        const double ms = msSince(start) / plan.dragSteps;
        std::fprintf(report,
                     "  selected %s: %.1f ms per motion = %.1f motions (frames) per second\n",
                     selectedBone == 0 ? "whole model (id 0)" : "bone id 1", ms, 1000.0 / ms);
    }
}

// The drag, then the three frames alone for comparison.
void measureDrag(Model& model, const Plan& plan, const std::vector<double>& frameMs) {
    std::fprintf(report,
                 "\ndrag (rotateBone about z and x, then drawFrame in the three windows, "
                 "%d motions):\n",
                 plan.dragSteps);
    measureDragSteps(model, plan);
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

    setConsoleTarget(ConsoleTarget::Discard);
    Model model;
    const StartupTimes startup = startThreeViews(model, archive.c_str(), argc, argv);
    if (scratch) std::remove(archive.c_str());

    size_t polygons = 0;
    for (const PartMesh* mesh : model.partList()) polygons += mesh->polygonCount();
    std::fprintf(report, "model: %s: %zu bones, %zu polygons (all parts shown)\n", label.c_str(),
                 model.partList().size(), polygons);
    std::fprintf(report, "GL_RENDERER: %s\nGL_VERSION: %s\n",
                 reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                 reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    reportStartup(startup);

    const bool large = polygons > 100000;
    const Plan plan{quick ? 2 : 5, quick ? 2 : (large ? 4 : 40), quick ? 3 : (large ? 12 : 120)};
    VertexArrayReference reference;
    reference.build(model, shownDrawing.axesList());
    const std::vector<double> frameMs = measureFrames(model, reference, plan);
    measureDrag(model, plan, frameMs);
    std::fflush(report);
    return 0;
}
