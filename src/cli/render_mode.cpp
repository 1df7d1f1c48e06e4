// --render OUT [--view V [--size WxH]] [--fit] [--background C] [--no-axes] [--turntable N]
// [--pose POSEFILE]... [--time T | --fps F] [ARCHIVE]...: pictures of each archive, every part
// shown and the whole model selected, drawn off-screen: the three views as one sheet or one view,
// a still PNG or an animated WebP.

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/archive_input.h"
#include "cli/mode_support.h"
#include "cli/mode_table.h"
#include "cli/offscreen_pictures.h"
#include "cli/output_rules.h"
#include "cli/picture_options.h"
#include "cli/pose_argument.h"
#include "cli/progress_line.h"
#include "console/console.h"
#include "model/bone_node.h"
#include "model/part_mesh.h"
#include "model/pose_sequence.h"
#include "png/png_writing.h"
#include "webp/webp_animation.h"

namespace {

constexpr int kDefaultFps = 12, kMostFps = 60;

struct RenderArguments {
    std::string output;
    std::vector<std::string> poses;
    double time = NAN;
    std::optional<int> fps;
    PictureOptions picture;
    std::vector<std::string> archives;
    bool quiet = false;
};

bool playsPoses(const RenderArguments& args) {
    return args.fps && args.poses.size() >= 2 && !args.picture.turntable;
}

// Loads the pose files in turn; with --time the tree then shows the sequence they make at that
// time, exactly as "Play poses" shows it, and a pose animation keeps the sequence. false with
// one line.
bool applyPoses(const RenderArguments& args, BoneNode& root, const Pose& loadedPose,
                PoseSequence& sequence) {
    std::vector<PoseSequence::Source> sources;
    for (const std::string& path : args.poses) {
        std::optional<Pose> pose = applyPoseArgument(root, path);
        if (!pose) return false;
        sources.push_back({path, std::move(*pose)});
    }
    if (std::isnan(args.time) && !playsPoses(args)) return true;
    if (sources.empty()) sources.push_back({"the archive's pose", loadedPose});
    const std::string error = sequence.build(root, sources).message;
    if (!error.empty()) {
        consolePrintf("%s\n", error.c_str());
        return false;
    }
    if (!std::isnan(args.time)) sequence.at(args.time).apply(root);
    return true;
}

// The frames of an animation: a turntable's turns at the pose the tree has, or the pose
// sequence at 0, 1/F, 2/F, ... up to its end, each frame what --time draws at its moment.
class Frames {
  public:
    Frames(const PictureDescription& picture, const PoseSequence* sequence, int fps)
        : picture_(picture), sequence_(sequence), fps_(fps) {}

    int count() const {
        if (!sequence_) return picture_.turntableFrames;
        return static_cast<int>(sequence_->size() - 1) * fps_ + 1;
    }
    // Puts frame k's pose on the tree and gives its turn.
    double show(int frame, BoneNode& root) const {
        if (sequence_) sequence_->at(static_cast<double>(frame) / fps_).apply(root);
        return picture_.turnOfFrame(frame);
    }

  private:
    const PictureDescription& picture_;
    const PoseSequence* sequence_;
    int fps_;
};

// On a terminal "[frame f/F] NAME" stays up to date while the frames are drawn and encoded; the
// last stands while the file is written.
Result<> writeAnimation(PictureDrawing& drawing, const PictureDescription& picture, Model& model,
                        const Frames& frames, int fps, const std::string& name,
                        const std::string& output) {
    BoneNode& root = *model.rootNode();
    if (picture.fit) {
        // One zoom for every frame, so that the model does not pump.
        for (int k = 0; k < frames.count(); ++k) drawing.holdInFit(model, frames.show(k, root));
    }
    ProgressLine progress;
    WebpAnimation animation(picture.width, picture.height, fps);
    for (int k = 0; k < frames.count(); ++k) {
        if (progress.shown()) {
            progress.show("[frame " + std::to_string(k + 1) + "/" + std::to_string(frames.count()) +
                              "] " + name,
                          k + 1 == frames.count());
        }
        const double turn = frames.show(k, root);
        const Result<> added = animation.add(drawing.draw(model, turn), picture.channels());
        if (!added) return added;
    }
    return writeWebpFile(output, animation);
}

// One archive into one picture; kExitDone, or kExitFailed with a line naming what failed.
int renderArchive(PictureDrawing& drawing, const PictureDescription& picture,
                  const RenderArguments& args, const Source& archive, const std::string& output) {
    const Result<Document> document = loadArchiveWithBones(archive, args.quiet, "draw");
    if (!document.ok()) return kExitFailed;
    Model& model = *document->model;
    PoseSequence sequence;
    if (!applyPoses(args, *model.rootNode(), model.loadedPose, sequence)) return kExitFailed;
    for (PartMesh* part : model.partList()) part->setVisible(1);

    drawing.prepare(model);
    const int fps = args.fps.value_or(kDefaultFps);
    Result<> written;
    if (playsPoses(args) || picture.turntableFrames > 0) {
        const Frames frames(picture, playsPoses(args) ? &sequence : nullptr, fps);
        written = writeAnimation(drawing, picture, model, frames, fps, archive.name(), output);
    } else {
        written = writePngFile(output, picture.width, picture.height, picture.channels(),
                               drawing.draw(model, 0));
    }
    if (!written) {
        consolePrintf("%s: %s\n", output.c_str(), written.message.c_str());
        return kExitFailed;
    }
    return kExitDone;
}

// "" or the usage problem of the animation options and the output's ending.
std::string checkAnimation(const RenderArguments& args, bool animated) {
    if (args.fps && (*args.fps < 1 || *args.fps > kMostFps)) {
        return "--fps " + std::to_string(*args.fps) + ": give 1 to 60 frames a second";
    }
    if (args.fps && !animated) return "--fps needs --turntable or two or more --pose files";
    if (playsPoses(args) && !std::isnan(args.time)) {
        return "--time shows one moment; --fps with several --pose plays them all: give one";
    }
    if (animated && hasEnding(args.output, ".png")) {
        return args.output + ": an animation goes into a .webp file, not a .png";
    }
    if (!animated && hasEnding(args.output, ".webp")) {
        return args.output +
               ": a still picture goes into a .png file; an animated .webp needs --turntable, "
               "or several --pose with --fps";
    }
    return "";
}

int runRender(const RenderArguments& args) {
    const ArchiveList list = archiveSources(args.archives);
    const std::vector<Source>& archives = list.sources;
    PictureDescription picture;
    std::string problem = describePicture(args.picture, picture);
    const bool animated = picture.turntableFrames > 0 || playsPoses(args);
    if (problem.empty()) problem = checkAnimation(args, animated);
    const std::string ending = animated ? ".webp" : ".png";
    OutputPlan plan;
    if (problem.empty()) problem = planOutputs(args.output, archives, {ending}, ending, plan);
    std::vector<std::string> inputs = inputFiles(archives);
    inputs.insert(inputs.end(), args.poses.begin(), args.poses.end());
    if (problem.empty() && !std::isnan(args.time) && !std::isfinite(args.time)) {
        problem = "--time must be a finite number of seconds";
    }
    if (problem.empty()) problem = outputNamingInput(plan.files, inputs);
    if (!problem.empty()) return usageError("--render", problem);

    // One context for the whole run.
    OffscreenPictures pictures(picture);
    const Result<> opened = pictures.open();
    if (!opened) {
        consolePrintf("Off-screen drawing is not available: %s\n", opened.message.c_str());
        return kExitFailed;
    }
    return writeEachArchive(
        plan, archives,
        [&](const Source& archive, const std::string& output) {
            return renderArchive(pictures.drawing(), picture, args, archive, output);
        },
        list.failed);
}

void addPictureOptions(CLI::App& app, PictureOptions& picture) {
    app.add_option("--view", picture.view, "One view alone, at its window's size: main, side or up")
        ->type_name("VIEW");
    app.add_option("--size", picture.size,
                   "With --view: the picture's size, each side 1 to 4096; the view keeps its "
                   "scale and centre unless --fit")
        ->type_name("WxH");
    app.add_flag("--fit", picture.fit,
                 "Fit every shown part into each view with the 10-pixel margin of the viewer's f");
    app.add_option("--background", picture.background,
                   "#RRGGBB, or transparent for an RGBA picture; the viewer's clear colour "
                   "without it")
        ->type_name("COLOUR");
    app.add_flag("--no-axes", picture.noAxes, "Leave out the world axes and the chosen bone's");
    app.add_option("--turntable", picture.turntable,
                   "An animated WebP of N frames (2 to 360), frame k turned by 360 k / N degrees "
                   "about z")
        ->type_name("N");
}

}  // namespace

ModeRunner declareRenderMode(CLI::App& app) {
    auto args = std::make_shared<RenderArguments>();
    app.add_option("OUT", args->output,
                   "The PNG (or, animated, WebP) to write, or a folder for NAME.png (NAME.webp) "
                   "files")
        ->required()
        ->type_name("FILE")
        ->check(fileNameCheck(false));
    addArchiveArguments(app, args->archives);
    addPictureOptions(app, args->picture);
    app.add_option("--pose", args->poses,
                   "A pose file to load first; it must hold every bone of the model. Several "
                   "load in turn, the last shown, or with --time or --fps play as a sequence")
        ->type_name("POSEFILE")
        ->allow_extra_args(false)
        ->check(fileNameCheck(false));
    app.add_option("--time", args->time,
                   "Seconds into the sequence of the pose files: pose k at k s, looping, the "
                   "end of each loop the last pose")
        ->type_name("T");
    app.add_option("--fps", args->fps,
                   "Frames a second (1 to 60, 12 without it) of a turntable, or with several "
                   "POSEFILEs the sequence played into an animated WebP")
        ->type_name("F");
    addQuietFlag(app, args->quiet);
    return [args] { return runRender(*args); };
}

const ModeRegistration kRenderMode{
    {"--render", 20,
     "Draws the three views of each archive, every part shown, as the viewer's windows show "
     "them, into one 960 x 720 PNG; a folder OUT gets NAME.png for each NAME.bin. With "
     "several POSEFILEs and --time, the sequence at T seconds as \"Play poses\" shows it. "
     "--view draws one view, --turntable or --fps an animated WebP.",
     declareRenderMode}};
