#pragma once

#include <string>
#include <vector>

#include "model/keyframe_track.h"
#include "model/trs.h"

namespace tinygltf {
class Model;
}

// Every node's own transform in a parsed glTF, relative to its parent node: its matrix, or its
// translation, rotation and scale. The nodes an animation moves always use the latter.
struct NodeTransform {
    bool useMatrix = false;
    Mat4d matrix = identity4d();
    Trs trs;
    Mat4d local() const { return useMatrix ? matrix : composeTrs(trs); }
};

// "" with every node's transform, or the node that holds something else than numbers.
std::string readNodeTransforms(const tinygltf::Model& doc, std::vector<NodeTransform>& out);

// One animation of a glTF, read and checked whole, to be sampled at any time by glTF's rules
// (sampleTrack).
class GltfAnimation {
  public:
    // "" when animation index reads whole; else what is wrong with it.
    std::string read(const tinygltf::Model& doc, int index);

    // The union of every channel's key times, rising.
    std::vector<double> keyTimes() const;
    // Overrides the transforms of the nodes the animation moves with their values at time.
    void sample(double time, std::vector<NodeTransform>& nodes) const;

  private:
    enum class Path { Translation, Rotation, Scale };
    struct Channel {
        size_t node;
        Path path;
        std::vector<double> times;
        KeyframeTrack track;
    };
    std::vector<Channel> channels_;
};
