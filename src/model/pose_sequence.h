#pragma once

#include <optional>
#include <string>
#include <vector>

#include "io/result.h"
#include "model/keyframe_track.h"
#include "model/pose.h"
#include "model/pose_tree.h"

class BoneNode;

// Several poses played as the export's animation: pose k at k seconds, each node's transform
// relative to its parent split as the export splits it, translations and scales blended
// linearly and rotations by slerp (sampleTrack), looping after the last pose: the end of each
// loop shows the last pose, the time just after it the blend from pose 0 again. The viewer's
// playback, the command line's --render --time and its animations all draw what at() gives.
class PoseSequence {
  public:
    struct Source {
        std::string name;  // a pose file's path, for the line that refuses it
        Pose pose;
    };

    // Why a sequence cannot be built or loaded.
    enum Failure { kPoseDoesNotFit = 1, kNotTrs, kCannotOpen, kNoMatrix, kNoPoseFile };

    // Fails when a pose does not split, the line naming the pose and the bone that does not.
    // The tree's shape must stay as it is while the sequence is used.
    Result<> build(const BoneNode& root, const std::vector<Source>& poses);
    // Loads each pose file onto the tree in turn as "Load matrix" does, keeps what the tree then
    // holds, puts the tree back as it was and builds the sequence. notes gets the lines loading
    // the files gave, to be printed before the failure, if any. Fails with the line saying which
    // file cannot be used and why.
    Result<> load(BoneNode& root, const std::vector<std::string>& paths,
                  std::vector<std::string>& notes);

    size_t size() const { return poses_.size(); }
    const std::string& name(size_t k) const { return poses_[k].name; }
    const Pose& pose(size_t k) const { return poses_[k].pose; }
    // One loop: from pose 0 to the last pose, one second a step.
    double period() const { return poses_.size() > 1 ? double(poses_.size() - 1) : 0.0; }
    // time wrapped into [0, period]: 0 stays 0, any other whole number of loops (ending on the
    // last pose) gives period.
    double wrap(double time) const;
    // The pose at or just before time (wrapped).
    size_t keyAt(double time) const;
    // The pose shown at time: at a whole second the pose file as it is, bit for bit; between
    // two, the blend.
    Pose at(double time) const;

  private:
    // One node in one pose: what a blend starting from this pose needs to become the node's
    // matrices again.
    struct Key {
        Matrix4 boneOffset;
        // The parent's bone offset inverted; none for the root or an offset with no inverse.
        std::optional<Mat4d> parentOffsetInverse;
    };
    // One node's transform relative to its parent, split, pose k at k seconds.
    struct NodeTracks {
        KeyframeTrack translation, rotation{Interpolation::Linear, 4, true, {}}, scale;
    };

    std::vector<Source> poses_;
    std::vector<int32_t> ids_;
    std::vector<double> times_;           // 0, 1, 2, ... one a pose
    std::vector<NodeTracks> tracks_;      // [node in pre-order]
    std::vector<std::vector<Key>> keys_;  // [pose][node in pre-order]
};
