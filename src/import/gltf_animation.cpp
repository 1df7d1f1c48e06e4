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
        if (sampler.interpolation == "STEP") {
            channel.interpolation = Interpolation::Step;
        } else if (sampler.interpolation == "CUBICSPLINE") {
            channel.interpolation = Interpolation::CubicSpline;
        } else if (sampler.interpolation.empty() || sampler.interpolation == "LINEAR") {
            channel.interpolation = Interpolation::Linear;
        } else {
            return where + " has the interpolation " + sampler.interpolation;
        }
        const int components = channel.path == Path::Rotation ? 4 : 3;
        std::string error = readFloats(doc, sampler.input, 1, channel.times);
        if (error.empty()) error = readFloats(doc, sampler.output, components, channel.values);
        if (!error.empty()) return where + ": " + error;
        const size_t keys = channel.times.size();
        const size_t perKey = channel.interpolation == Interpolation::CubicSpline ? 3 : 1;
        if (keys == 0) return where + " has no key";
        if (channel.values.size() != keys * perKey * components) {
            return where + " has " + std::to_string(keys) + " key times but not as many values";
        }
        for (size_t k = 0; k < keys; ++k) {
            if (!std::isfinite(channel.times[k]) ||
                (k > 0 && !(channel.times[k] > channel.times[k - 1]))) {
                return where + "'s key times do not rise";
            }
        }
        for (float v : channel.values) {
            if (!std::isfinite(v)) return where + " has a value that is not a number";
        }
        for (size_t k = 0; channel.path == Path::Rotation && k < keys * perKey; ++k) {
            const float* q = channel.values.data() + 4 * k;
            if (!(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3] > 0)) {
                return where + " has a rotation of length 0";
            }
        }
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

std::vector<double> GltfAnimation::valueAt(const Channel& channel, double time) const {
    const size_t n = channel.path == Path::Rotation ? 4 : 3;
    const bool spline = channel.interpolation == Interpolation::CubicSpline;
    const size_t perKey = spline ? 3 : 1;
    // Key k's value (with spline, the middle of its in-tangent, value, out-tangent).
    auto part = [&](size_t k, size_t which) {
        const float* v = channel.values.data() + (k * perKey + which) * n;
        return std::vector<double>(v, v + n);
    };
    auto value = [&](size_t k) { return part(k, spline ? 1 : 0); };
    const std::vector<float>& times = channel.times;
    if (time <= times.front()) return value(0);
    if (time >= times.back()) return value(times.size() - 1);
    const size_t k = std::upper_bound(times.begin(), times.end(), time) - times.begin() - 1;
    if (channel.interpolation == Interpolation::Step) return value(k);
    const double span = double{times[k + 1]} - times[k];
    const double u = (time - times[k]) / span;
    std::vector<double> out(n);
    if (spline) {
        const std::vector<double> p0 = value(k), m0 = part(k, 2), p1 = value(k + 1),
                                  m1 = part(k + 1, 0);
        const double u2 = u * u, u3 = u2 * u;
        for (size_t c = 0; c < n; ++c) {
            out[c] = (2 * u3 - 3 * u2 + 1) * p0[c] + (u3 - 2 * u2 + u) * span * m0[c] +
                     (-2 * u3 + 3 * u2) * p1[c] + (u3 - u2) * span * m1[c];
        }
    } else if (channel.path == Path::Rotation) {
        const std::vector<double> a = value(k), b = value(k + 1);
        const auto q = slerp({a[0], a[1], a[2], a[3]}, {b[0], b[1], b[2], b[3]}, u);
        out.assign(q.begin(), q.end());
    } else {
        const std::vector<double> a = value(k), b = value(k + 1);
        for (size_t c = 0; c < n; ++c) out[c] = a[c] + u * (b[c] - a[c]);
    }
    return out;
}

void GltfAnimation::sample(double time, std::vector<NodeTransform>& nodes) const {
    for (const Channel& channel : channels_) {
        const std::vector<double> v = valueAt(channel, time);
        Trs& trs = nodes[channel.node].trs;
        switch (channel.path) {
            case Path::Translation:
                std::copy(v.begin(), v.end(), trs.translation.begin());
                break;
            case Path::Rotation:
                std::copy(v.begin(), v.end(), trs.rotation.begin());
                break;
            case Path::Scale:
                std::copy(v.begin(), v.end(), trs.scale.begin());
                break;
        }
    }
}
