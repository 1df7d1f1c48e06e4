#include "model/pose_sequence.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "model/bone_node.h"
#include "model/pose_file.h"

Result<> PoseSequence::build(const BoneNode& root, const std::vector<Source>& poses) {
    poses_.clear();
    keys_.clear();
    ids_.clear();
    times_.clear();
    forEachPreOrder(root, [this](const BoneNode& node) { ids_.push_back(node.boneId); });
    const std::vector<int> parents = preOrderParents(root);
    tracks_.assign(ids_.size(), NodeTracks());
    for (const Source& source : poses) {
        const PoseSplit split = splitPose(source.pose, root, parents);
        if (!split.fits)
            return Result<>::failed(kPoseDoesNotFit,
                                    source.name + ": the pose does not fit the tree");
        if (split.failedNode >= 0) {
            return Result<>::failed(
                kNotTrs, source.name + ": " + jointName(ids_[split.failedNode]) +
                             " is not a translation, rotation and positive scale (" + split.why +
                             ")");
        }
        // The inverses are taken here once, not on every frame the blend is drawn.
        std::vector<Key> keys(ids_.size());
        for (size_t i = 0; i < keys.size(); ++i) {
            const Trs& trs = split.nodes[i];
            NodeTracks& node = tracks_[i];
            node.translation.values.insert(node.translation.values.end(), trs.translation.begin(),
                                           trs.translation.end());
            node.rotation.values.insert(node.rotation.values.end(), trs.rotation.begin(),
                                        trs.rotation.end());
            node.scale.values.insert(node.scale.values.end(), trs.scale.begin(), trs.scale.end());
            keys[i].boneOffset = split.matrices[i].boneOffset;
            Mat4d back;
            if (parents[i] >= 0 && invert(toMat4d(split.matrices[parents[i]].boneOffset), back)) {
                keys[i].parentOffsetInverse = back;
            }
        }
        keys_.push_back(std::move(keys));
        times_.push_back(static_cast<double>(times_.size()));
    }
    poses_ = poses;
    return {};
}

Result<> PoseSequence::load(BoneNode& root, const std::vector<std::string>& paths,
                            std::vector<std::string>& notes) {
    const Pose before = Pose::capture(root);
    std::vector<Source> sources;
    Result<> status;
    for (const std::string& path : paths) {
        FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            status = Result<>::failed(kCannotOpen, path + ": " + std::strerror(errno));
            break;
        }
        const Result<PoseLoad> loaded = loadPoseStream(root, file, path.c_str());
        std::fclose(file);
        if (!loaded) {
            notes.push_back(loaded.message);
        } else if (loaded->sizeNote) {
            notes.push_back(*loaded->sizeNote);
        }
        if (!loaded || loaded->loaded == 0) {
            status = Result<>::failed(kNoMatrix, path + ": no matrix could be read");
            break;
        }
        sources.push_back({path, Pose::capture(root)});
    }
    before.apply(root);
    if (status.ok() && sources.empty())
        status = Result<>::failed(kNoPoseFile, "No pose file to play");
    return status.ok() ? build(root, sources) : status;
}

double PoseSequence::wrap(double time) const {
    const double loop = period();
    if (!(loop > 0) || !std::isfinite(time)) return 0.0;
    double t = std::fmod(time, loop);
    if (t < 0) t += loop;
    // The end of a loop is the last pose, as the last frame of an animation shows it; only 0
    // itself is the first.
    if (t == 0.0) return time == 0.0 ? 0.0 : loop;
    return t;  // a little before a whole loop may round up to it: the last pose too
}

size_t PoseSequence::keyAt(double time) const {
    return static_cast<size_t>(std::floor(wrap(time)));
}

Pose PoseSequence::at(double time) const {
    if (poses_.empty()) return Pose();
    const double t = wrap(time);
    const size_t k = keyAt(time);
    const double u = t - static_cast<double>(k);
    if (u == 0.0 || k + 1 >= poses_.size()) return poses_[k].pose;

    // Each node's blended transform relative to its parent, Lᵢ = parent offset · user · pose,
    // becomes user · pose again under the parent's bone offset of pose k.
    Pose out;
    for (size_t i = 0; i < ids_.size(); ++i) {
        const Key& key = keys_[k][i];
        const NodeTracks& node = tracks_[i];
        Trs blend;
        sampleTrack(times_, node.translation, t, blend.translation.data());
        sampleTrack(times_, node.rotation, t, blend.rotation.data());
        sampleTrack(times_, node.scale, t, blend.scale.data());
        Mat4d own = composeTrs(blend);
        if (key.parentOffsetInverse) own = multiply(*key.parentOffsetInverse, own);
        out.set(ids_[i], fromLocal(own, key.boneOffset));
    }
    return out;
}
