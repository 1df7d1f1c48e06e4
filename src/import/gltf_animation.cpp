#include "import/gltf_animation.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>

#include "import/gltf_values.h"

namespace {

bool allFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

template <size_t N>
bool copyInto(const std::vector<double>& values, std::array<double, N>& out) {
    if (values.empty()) return true;
    if (values.size() != N || !allFinite(values)) return false;
    std::copy(values.begin(), values.end(), out.begin());
    return true;
}

}  // namespace

std::string readNodeTransforms(const tinygltf::Model& doc, std::vector<NodeTransform>& out) {
    out.assign(doc.nodes.size(), NodeTransform());
    for (size_t i = 0; i < doc.nodes.size(); ++i) {
        const tinygltf::Node& node = doc.nodes[i];
        NodeTransform& t = out[i];
        bool sound = copyInto(node.translation, t.trs.translation) &&
                     copyInto(node.rotation, t.trs.rotation) && copyInto(node.scale, t.trs.scale);
        if (!node.matrix.empty()) {
            t.useMatrix = true;
            sound = sound && node.matrix.size() == 16 && allFinite(node.matrix);
            if (sound) std::copy(node.matrix.begin(), node.matrix.end(), t.matrix.begin());
        }
        const auto& q = t.trs.rotation;
        if (sound && !t.useMatrix && !(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3] > 0)) {
            sound = false;
        }
        if (!sound) return "node " + std::to_string(i) + " has a transform that is not numbers";
    }
    return "";
}

std::string GltfAnimation::read(const tinygltf::Model& doc, int index) {
    channels_.clear();
    const tinygltf::Animation& animation = doc.animations.at(index);
    const std::string name = "animation " + std::to_string(index);
    for (size_t c = 0; c < animation.channels.size(); ++c) {
        const tinygltf::AnimationChannel& source = animation.channels[c];
        const std::string where = name + " channel " + std::to_string(c);
        Channel channel;
        if (source.target_path == "translation") {
            channel.path = Path::Translation;
        } else if (source.target_path == "rotation") {
            channel.path = Path::Rotation;
        } else if (source.target_path == "scale") {
            channel.path = Path::Scale;
        } else {
            continue;  // morph weights do not move bones
        }
        if (source.target_node < 0 || static_cast<size_t>(source.target_node) >= doc.nodes.size()) {
            return where + " moves no node";
        }
        channel.node = source.target_node;
        if (!doc.nodes[channel.node].matrix.empty()) {
            return where + " moves node " + std::to_string(channel.node) + ", which has a matrix";
        }
        if (source.sampler < 0 ||
            static_cast<size_t>(source.sampler) >= animation.samplers.size()) {
            return where + " has no sampler";
        }
        const tinygltf::AnimationSampler& sampler = animation.samplers[source.sampler];
        KeyframeTrack& track = channel.track;
        if (sampler.interpolation == "STEP") {
            track.interpolation = Interpolation::Step;
        } else if (sampler.interpolation == "CUBICSPLINE") {
            track.interpolation = Interpolation::CubicSpline;
        } else if (sampler.interpolation.empty() || sampler.interpolation == "LINEAR") {
            track.interpolation = Interpolation::Linear;
        } else {
            return where + " has the interpolation " + sampler.interpolation;
        }
        track.rotation = channel.path == Path::Rotation;
        track.width = track.rotation ? 4 : 3;
        std::vector<float> times, values;
        std::string error = readFloats(doc, sampler.input, 1, times);
        if (error.empty())
            error = readFloats(doc, sampler.output, static_cast<int>(track.width), values);
        if (!error.empty()) return where + ": " + error;
        const size_t keys = times.size();
        const size_t perKey = track.interpolation == Interpolation::CubicSpline ? 3 : 1;
        if (keys == 0) return where + " has no key";
        if (values.size() != keys * perKey * track.width) {
            return where + " has " + std::to_string(keys) + " key times but not as many values";
        }
        for (size_t k = 0; k < keys; ++k) {
            if (!std::isfinite(times[k]) || (k > 0 && !(times[k] > times[k - 1]))) {
                return where + "'s key times do not rise";
            }
        }
        for (float v : values) {
            if (!std::isfinite(v)) return where + " has a value that is not a number";
        }
        // The length is taken in float, as the file holds the rotation.
        for (size_t k = 0; track.rotation && k < keys * perKey; ++k) {
            const float* q = values.data() + 4 * k;
            if (!(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3] > 0)) {
                return where + " has a rotation of length 0";
            }
        }
        channel.times.assign(times.begin(), times.end());
        track.values.assign(values.begin(), values.end());
        channels_.push_back(std::move(channel));
    }
    return "";
}

std::vector<double> GltfAnimation::keyTimes() const {
    std::vector<double> times;
    for (const Channel& channel : channels_) {
        times.insert(times.end(), channel.times.begin(), channel.times.end());
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

void GltfAnimation::sample(double time, std::vector<NodeTransform>& nodes) const {
    for (const Channel& channel : channels_) {
        Trs& trs = nodes[channel.node].trs;
        double* out = channel.path == Path::Translation ? trs.translation.data()
                      : channel.path == Path::Rotation  ? trs.rotation.data()
                                                        : trs.scale.data();
        sampleTrack(channel.times, channel.track, time, out);
    }
}
