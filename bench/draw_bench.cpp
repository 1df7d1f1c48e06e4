// Drawing under GLUT (on Xvfb with Mesa in scripts/bench.sh): the start-up of the three views
// up to their first complete frame, the time of one drawFrame in each window next to a vertex
// array reference in the same context, and the frames per second of a simulated mouse drag.
// Usage: veldraxis_draw_bench [--quick] (--demo | ARCHIVE)

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bench_archives.h"
#include "list_variants.h"
#include "model/bone_node.h"
#include "model/matrix.h"
#include "model/model.h"
#include "model/model_state.h"
#include "model/part_mesh.h"
#include "render/views.h"
#include "vertex_array_reference.h"

#ifdef VELDRAXIS_HAVE_DEMO_MODEL
#include "demo_archive.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point programStart = Clock::now();

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// The three viewing windows, in ViewIndex order (main, side, up).
int windows[3] = {0, 0, 0};
const char* const viewNames[3] = {"main", "side", "up"};
bool reshaped[3] = {false, false, false};
bool drawn[3] = {false, false, false};
double firstFrameDoneMs = 0.0;

// The console output of the loaders and of this report share stdout; the loaders' lines are
// dropped by sending them to /dev/null around the loads.
FILE* report = stdout;

void markDrawn(int view) {
    glFinish();
    drawn[view] = true;
    if (drawn[0] && drawn[1] && drawn[2] && firstFrameDoneMs == 0.0) {
        firstFrameDoneMs = msSince(programStart);
    }
}

// The handlers of start-up: the main window redraws and asks the other two to follow.
void displayMain() {
    drawFrame();
    markDrawn(0);
    glutSetWindow(windows[1]);
    glutPostRedisplay();
    glutSetWindow(windows[2]);
    glutPostRedisplay();
}
void displaySide() {
    drawFrame();
    markDrawn(1);
}
void displayUp() {
    drawFrame();
    markDrawn(2);
}
template <int View>
void reshape(int width, int height) {
    reshapeView(width, height);
    reshaped[View] = true;
}

struct Samples {
    std::vector<double> ms;
    double median() const {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0.0 : s[s.size() / 2];
    }
    double mean() const {
        double sum = 0.0;
        for (double v : ms) sum += v;
        return ms.empty() ? 0.0 : sum / static_cast<double>(ms.size());
    }
};

// One timed frame: draw, then wait until GL has finished it.
double timeOne(const std::function<void()>& draw) {
    const auto t = Clock::now();
    draw();
    glFinish();
    return msSince(t);
}

void writeScratchArchive(const std::string& path, const uint8_t* data, size_t size) {
    archive_builder::writeFile(path, archive_builder::Bytes(data, data + size));
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

}  // namespace

int main(int argc, char** argv) {
    bool quick = false;
    std::string archive;
    std::string label;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--demo") == 0) {
#ifdef VELDRAXIS_HAVE_DEMO_MODEL
            archive = scratchPath("demo.bin");
            writeScratchArchive(archive, demoArchiveData(), demoArchiveSize());
            label = "demo model";
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

    // Start-up, in the viewer's order: windows, the archive, then each window's context.
    report = fdopen(dup(fileno(stdout)), "w");
    std::freopen("/dev/null", "w", stdout);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(320, 720);
    windows[0] = glutCreateWindow("Veldraxis Viewer");
    glutPositionWindow(0, 20);
    windows[1] = glutCreateWindow("Side view");
    glutPositionWindow(330, 20);
    const double windowsMs = msSince(programStart);

    createRootNode();
    Model model;
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    setupView(ViewSide);
    auto t = Clock::now();
    model.loadTextures(archive.c_str());
    const double texturesMs = msSince(t);
    t = Clock::now();
    model.loadSkeleton(archive.c_str());
    const double skeletonMs = msSince(t);
    // Parts start hidden in the viewer; the user shows them with the check boxes. Every part
    // is shown here, so that the frames draw the whole model.
    for (PartMesh* mesh : partList) mesh->setVisible(1);
    double prepareMs[3] = {0, 0, 0};
    t = Clock::now();
    model.prepareWindow();
    prepareMs[1] = msSince(t);

    glutInitWindowSize(320, 320);
    windows[2] = glutCreateWindow("Up view");
    glutPositionWindow(660, 20);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    setupView(ViewUp);
    t = Clock::now();
    model.prepareWindow();
    prepareMs[2] = msSince(t);

    glutSetWindow(windows[0]);
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    setupView(ViewMain);
    t = Clock::now();
    model.prepareWindow();
    prepareMs[0] = msSince(t);

    glutSetWindow(windows[0]);
    glutDisplayFunc(displayMain);
    glutReshapeFunc(reshape<0>);
    glutSetWindow(windows[1]);
    glutDisplayFunc(displaySide);
    glutReshapeFunc(reshape<1>);
    glutSetWindow(windows[2]);
    glutDisplayFunc(displayUp);
    glutReshapeFunc(reshape<2>);
    glutSetWindow(windows[0]);
    const double beforeLoopMs = msSince(programStart);
    // What the main loop does until every window has shown its first frame.
    while (!(drawn[0] && drawn[1] && drawn[2]) && msSince(programStart) < 120000.0) {
        glutMainLoopEvent();
    }
    std::fflush(stdout);

    size_t polygons = 0;
    for (const PartMesh* mesh : partList) polygons += mesh->polygonCount();
    std::fprintf(report, "model: %s: %zu bones, %zu polygons (all parts shown)\n", label.c_str(),
                 partList.size(), polygons);
    std::fprintf(report, "GL_RENDERER: %s\nGL_VERSION: %s\n",
                 reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                 reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    std::fprintf(report,
                 "start-up to the first complete frame of the three views: %.1f ms\n"
                 "  glutInit and two windows %.1f, loadTextures %.1f, loadSkeleton %.1f,\n"
                 "  prepareWindow side %.1f, up %.1f, main %.1f (until the main loop %.1f ms),\n"
                 "  first frames of the three windows %.1f\n",
                 firstFrameDoneMs, windowsMs, texturesMs, skeletonMs, prepareMs[1], prepareMs[2],
                 prepareMs[0], beforeLoopMs, firstFrameDoneMs - beforeLoopMs);

    // Steady frames: drawFrame next to the vertex-array reference, alternating in rounds so that
    // a change in the machine's load hits both alike.
    VertexArrayReference reference;
    reference.build();
    const int rounds = quick ? 2 : 5;
    const int perRound = quick ? 2 : (polygons > 100000 ? 4 : 40);
    std::fprintf(report,
                 "\none frame (ms, median of %d; mean in brackets): drawFrame = the viewer's frame "
                 "(display lists, then swap);\nreference = the same %zu triangles from one vertex "
                 "array (client memory / buffer object), same state and swap\n",
                 rounds * perRound, reference.triangleCount());
    std::fprintf(report, "%-5s %18s %18s %18s %8s\n", "view", "drawFrame", "ref (array)",
                 "ref (buffer)", "ratio");
    double worstRatio = 0.0;
    double frameMs[3] = {0, 0, 0};
    for (int view = 0; view < 3; ++view) {
        glutSetWindow(windows[view]);
        const GLuint buffer = reference.uploadBuffer();
        Samples lists, array, buffered;
        auto drawReference = [&](GLuint b) {
            reference.render(b);
            glFlush();
            glutSwapBuffers();
        };
        timeOne(drawFrame);  // warm up all three
        timeOne([&] { drawReference(0); });
        timeOne([&] { drawReference(buffer); });
        for (int r = 0; r < rounds; ++r) {
            for (int i = 0; i < perRound; ++i) lists.ms.push_back(timeOne(drawFrame));
            for (int i = 0; i < perRound; ++i) {
                array.ms.push_back(timeOne([&] { drawReference(0); }));
            }
            for (int i = 0; i < perRound; ++i) {
                buffered.ms.push_back(timeOne([&] { drawReference(buffer); }));
            }
        }
        const double best = std::min(array.median(), buffered.median());
        const double ratio = lists.median() / best;
        worstRatio = std::max(worstRatio, ratio);
        frameMs[view] = lists.median();
        std::fprintf(report, "%-5s %8.2f (%7.2f) %8.2f (%7.2f) %8.2f (%7.2f) %7.2fx\n",
                     viewNames[view], lists.median(), lists.mean(), array.median(), array.mean(),
                     buffered.median(), buffered.mean(), ratio);
    }
    std::fprintf(report, "drawFrame / faster reference, worst window: %.2fx (target <= 1.5x: %s)\n",
                 worstRatio, worstRatio <= 1.5 ? "met" : "MISSED");

    // Where the frame's time goes: the same polygons compiled as one list per pass in several
    // forms, in the main window, next to the viewer's frame.
    {
        glutSetWindow(windows[0]);
        ListVariants variants;
        variants.compile(reference.polygons());
        // Interleaved in rounds with the viewer's frame, as above.
        const size_t forms = std::size(kListForms);
        std::vector<Samples> samples(forms + 1);
        std::vector<std::function<void()>> draws;
        draws.push_back(drawFrame);
        for (ListForm form : kListForms) {
            draws.push_back([&variants, form] {
                variants.render(form);
                glFlush();
                glutSwapBuffers();
            });
        }
        for (const auto& draw : draws) timeOne(draw);
        for (int r = 0; r < rounds; ++r) {
            for (size_t d = 0; d < draws.size(); ++d) {
                for (int i = 0; i < perRound; ++i) samples[d].ms.push_back(timeOne(draws[d]));
            }
        }
        std::fprintf(report,
                     "\nwhat the frame costs by list form (main window: frame median ms, "
                     "compiling the lists once ms,\npixels that differ from the viewer's form "
                     "drawn from the same vertices):\n");
        std::fprintf(report, "  %-56s %8.2f %10.1f\n",
                     "drawFrame (per-part lists under the bone tree)", samples[0].median(),
                     prepareMs[0]);
        // Each form's picture next to the viewer's form drawn from the same vertices.
        auto picture = [&](ListForm form) {
            variants.render(form);
            glFinish();
            std::vector<uint8_t> pixels(4u * 320u * 720u);
            glReadBuffer(GL_BACK);
            glReadPixels(0, 0, 320, 720, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            glutSwapBuffers();
            return pixels;
        };
        const std::vector<uint8_t> viewerPicture = picture(ListForm::PolygonNormalMaterial);
        for (size_t f = 0; f < forms; ++f) {
            const std::vector<uint8_t> formPicture = picture(kListForms[f]);
            size_t differing = 0;
            for (size_t p = 0; p < formPicture.size(); p += 4) {
                if (std::memcmp(&formPicture[p], &viewerPicture[p], 3) != 0) ++differing;
            }
            std::fprintf(report, "  %-56s %8.2f %10.1f %9zu\n", listFormName(kListForms[f]),
                         samples[f + 1].median(), variants.compileMs(kListForms[f]), differing);
        }
    }

    // A drag: each motion turns the selection about z and about x (two rotateBone calls), then
    // the main window redraws and the side and up windows follow, as the handlers do.
    const int steps = quick ? 3 : (polygons > 100000 ? 12 : 120);
    std::fprintf(report,
                 "\ndrag (rotateBone about z and x, then drawFrame in the three windows, "
                 "%d motions):\n",
                 steps);
    const Matrix4 aboutZ = rotation(2, 0.025f), aboutX = rotation(0, 0.0125f);
    const int32_t targets[2] = {0, partList.empty() ? 0 : 1};
    for (int32_t target : targets) {
        selectedBone = target;
        const auto start = Clock::now();
        for (int s = 0; s < steps; ++s) {
            rootNode->rotateBone(aboutZ, selectedBone);
            rootNode->rotateBone(aboutX, selectedBone);
            for (int view = 0; view < 3; ++view) {
                glutSetWindow(windows[view]);
                drawFrame();
                glFinish();
            }
        }
        const double ms = msSince(start) / steps;
        std::fprintf(report,
                     "  selected %s: %.1f ms per motion = %.1f motions (frames) per second\n",
                     target == 0 ? "whole model (id 0)" : "bone id 1", ms, 1000.0 / ms);
    }
    std::fprintf(report, "  (the three frames alone: %.1f ms)\n",
                 frameMs[0] + frameMs[1] + frameMs[2]);
    std::fflush(report);
    if (label == "demo model") std::remove(archive.c_str());
    return 0;
}
