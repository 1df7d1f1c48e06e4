#include "import/part_rebuild.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "io/byte_order.h"

namespace {

constexpr size_t kTexturedTriangles = 0, kShadedTriangles = 2;

// One corner as it will be written.
struct OutCorner {
    int position[3];
    int attribute[3];  // u, v + row offset; or red, green, blue
    uint16_t field;    // the original field, or 0 for a corner of a new triangle
    bool fresh;        // a new triangle's corner
};

struct OutPolygon {
    uint8_t kind;
    const uint8_t* record;  // the record it starts from, null for zeros
    uint8_t rowOffset;
    OutCorner corners[4];
};

std::string axisName(int a) {
    return std::string(1, "xyz"[a]);
}

// The file's value back in archive units, the archive's own where it is within slack.
long comeBack(double value, int original, double slack) {
    return std::fabs(value - original) <= slack ? original : std::llround(value);
}

class Rebuild {
  public:
    explicit Rebuild(const PartEdit& part) : part_(part) {}

    std::string run(std::vector<uint8_t>& out) {
        std::string error = collect();
        if (error.empty()) error = placeVertices();
        if (error.empty()) error = write(out);
        return error;
    }

  private:
    std::string fail(const std::string& what) const { return part_.name + ": " + what; }

    std::string cornerFrom(uint32_t source, const BlockCorner* original, bool textured,
                           OutCorner& out) const {
        const PartTriangle& t = (*part_.triangles)[source / 3];
        const int c = static_cast<int>(source % 3);
        for (int a = 0; a < 3; ++a) {
            const double value = std::max(-1.0e6, std::min(1.0e6, double{t.position[c][a]}));
            const long v = original ? comeBack(value, original->position[a], kPositionSlack)
                                    : std::llround(value);
            if (v < -32768 || v > 32767) {
                return fail("coordinate " + axisName(a) + " = " + std::to_string(v) +
                            " lies outside -32768..32767");
            }
            out.position[a] = static_cast<int>(v);
        }
        const double slack = textured ? kTexCoordSlack : kColourSlack;
        for (int a = 0; a < 3; ++a) {
            const double value = std::max(-1.0e6, std::min(1.0e6, double{t.attribute[c][a]}));
            long v =
                original ? comeBack(value, original->attribute[a], slack) : std::llround(value);
            if (!textured) v = std::min(255l, std::max(0l, v));
            out.attribute[a] = static_cast<int>(v);
        }
        if (textured) out.attribute[2] = 0;
        return "";
    }

    // Picks the row offset: the polygon's own when every v then fits a byte, else the smallest.
    std::string fitRows(OutPolygon& p, int count) const {
        int low = 1 << 30, high = -(1 << 30);
        for (int k = 0; k < count; ++k) {
            const int u = p.corners[k].attribute[0], t = p.corners[k].attribute[1];
            if (u < 0 || u > 255) {
                return fail("texture coordinate u = " + std::to_string(u) + " does not fit a byte");
            }
            low = std::min(low, t);
            high = std::max(high, t);
        }
        if (low >= p.rowOffset && high - p.rowOffset <= 255) return "";
        const int row = std::max(0, high - 255);
        if (low < row || row > 255) {
            return fail("texture coordinates v from " + std::to_string(low) + " to " +
                        std::to_string(high) + " fit no row offset");
        }
        p.rowOffset = static_cast<uint8_t>(row);
        return "";
    }

    std::string collect() {
        const auto& polygons = part_.contents->polygons;
        const PartMatching& m = *part_.matching;
        for (size_t i = 0; i < polygons.size(); ++i) {
            if (!m.polygons[i].kept) continue;
            const BlockPolygon& bp = polygons[i];
            OutPolygon p{bp.kind, part_.block + bp.record, bp.rowOffset, {}};
            for (int k = 0; k < bp.cornerCount; ++k) {
                const BlockCorner& original = bp.corners[k];
                OutCorner& c = p.corners[k];
                c.field = original.field;
                c.fresh = false;
                std::memcpy(c.position, original.position, sizeof c.position);
                std::memcpy(c.attribute, original.attribute, sizeof c.attribute);
                const int32_t source = m.polygons[i].source[k];
                if (source >= 0) {
                    const std::string error =
                        cornerFrom(static_cast<uint32_t>(source), &original, bp.textured(), c);
                    if (!error.empty()) return error;
                }
            }
            if (bp.textured()) {
                const std::string error = fitRows(p, bp.cornerCount);
                if (!error.empty()) return error;
            }
            out_[bp.kind].push_back(p);
        }
        for (uint32_t t : m.newTriangles) {
            const bool textured = (*part_.triangles)[t].textured;
            const size_t kind = textured ? kTexturedTriangles : kShadedTriangles;
            const MeshGroup* group = part_.layout ? &part_.layout->groups[kind] : nullptr;
            OutPolygon p{static_cast<uint8_t>(kind),
                         group && group->count ? part_.block + group->start : nullptr,
                         0,
                         {}};
            for (int k = 0; k < 3; ++k) {
                OutCorner& c = p.corners[k];
                c.field = 0;
                c.fresh = true;
                const std::string error = cornerFrom(3 * t + k, nullptr, textured, c);
                if (!error.empty()) return error;
            }
            if (textured) {
                const std::string error = fitRows(p, 3);
                if (!error.empty()) return error;
            }
            out_[kind].push_back(p);
        }
        if (out_[kTexturedTriangles].size() > 255) {
            return fail(std::to_string(out_[kTexturedTriangles].size()) +
                        " textured triangles, but a part holds at most 255");
        }
        return "";
    }

    static uint64_t keyOf(const int* p) {
        uint64_t key = 0;
        for (int a = 0; a < 3; ++a) key = (key << 17) | static_cast<uint64_t>(p[a] + 65536);
        return key;
    }
    bool holds(size_t vertex, const int* p) const {
        for (int a = 0; a < 3; ++a) {
            if (vertexCoordinate(vertices_[vertex], a) != p[a]) return false;
        }
        return true;
    }

    // Vertices whose corners all moved alike move in place; other new places are looked up
    // among the vertices, and appended when none holds them.
    std::string placeVertices() {
        vertices_ = part_.contents->vertices;
        enum : uint8_t { kUnused, kMoved, kStays };
        std::vector<uint8_t> state(vertices_.size(), kUnused);
        std::vector<const int*> movedTo(vertices_.size(), nullptr);
        for (auto& group : out_) {
            for (OutPolygon& p : group) {
                for (size_t k = 0; k < kPolygonKinds[p.kind].corners; ++k) {
                    const OutCorner& c = p.corners[k];
                    if (c.fresh) continue;
                    const size_t v = vertexIndexOf(c.field);
                    if (holds(v, c.position)) {
                        state[v] = kStays;
                    } else if (state[v] == kUnused) {
                        state[v] = kMoved;
                        movedTo[v] = c.position;
                    } else if (state[v] == kMoved &&
                               std::memcmp(movedTo[v], c.position, sizeof c.position) != 0) {
                        state[v] = kStays;
                    }
                }
            }
        }
        for (size_t v = 0; v < vertices_.size(); ++v) {
            if (state[v] != kMoved) continue;
            for (int a = 0; a < 3; ++a) {
                writeLE16(vertices_[v].data() + 2 * a, static_cast<uint16_t>(movedTo[v][a]));
            }
        }
        std::unordered_map<uint64_t, size_t> byPlace;
        for (size_t v = vertices_.size(); v-- > 0;) {
            int p[3];
            for (int a = 0; a < 3; ++a) p[a] = vertexCoordinate(vertices_[v], a);
            byPlace[keyOf(p)] = v;
        }
        for (auto& group : out_) {
            for (OutPolygon& p : group) {
                for (size_t k = 0; k < kPolygonKinds[p.kind].corners; ++k) {
                    OutCorner& c = p.corners[k];
                    if (!c.fresh && holds(vertexIndexOf(c.field), c.position)) continue;
                    const auto found = byPlace.find(keyOf(c.position));
                    size_t v;
                    if (found != byPlace.end()) {
                        v = found->second;
                    } else {
                        v = vertices_.size();
                        if (v >= kMaxPartVertices) {
                            return fail("more than " + std::to_string(kMaxPartVertices) +
                                        " vertices");
                        }
                        VertexRecord record{};
                        for (int a = 0; a < 3; ++a) {
                            writeLE16(record.data() + 2 * a, static_cast<uint16_t>(c.position[a]));
                        }
                        vertices_.push_back(record);
                        byPlace[keyOf(c.position)] = v;
                    }
                    c.field = static_cast<uint16_t>((v << 3) | (c.field & 7u));
                }
            }
        }
        return "";
    }

    std::string write(std::vector<uint8_t>& out) const {
        const MeshBlockLayout* layout = part_.layout;
        out.clear();
        uint8_t word[4];
        // The length word keeps any remainder past the last whole vertex.
        const size_t added = vertices_.size() - part_.contents->vertices.size();
        const uint32_t length = layout ? readLE32(part_.block) : 0;
        writeLE32(word, static_cast<uint32_t>(length + kMeshVertexBytes * added));
        out.insert(out.end(), word, word + 4);
        for (const VertexRecord& v : vertices_) out.insert(out.end(), v.begin(), v.end());
        for (size_t g = 0; g < kPolygonKindCount; ++g) {
            const PolygonKind& kind = kPolygonKinds[g];
            const uint32_t before = layout ? readLE32(part_.block + layout->groups[g].countAt) : 0;
            const size_t count = out_[g].size();
            uint32_t opening = static_cast<uint32_t>(count);
            if (layout && count == layout->groups[g].count) {
                opening = before;
            } else if (kind.countIsLowByte) {
                opening = (before & ~0xFFu) | static_cast<uint32_t>(count);
            }
            writeLE32(word, opening);
            out.insert(out.end(), word, word + 4);
            for (const OutPolygon& p : out_[g]) appendRecord(kind, p, out);
        }
        return "";
    }

    static void appendRecord(const PolygonKind& kind, const OutPolygon& p,
                             std::vector<uint8_t>& out) {
        const size_t at = out.size();
        if (p.record) {
            out.insert(out.end(), p.record, p.record + kind.recordBytes);
        } else {
            out.resize(at + kind.recordBytes, 0);
        }
        uint8_t* record = out.data() + at;
        if (kind.textured) record[kRowOffsetAt] = p.rowOffset;
        for (size_t k = 0; k < kind.corners; ++k) {
            const OutCorner& c = p.corners[k];
            const int fileCorner = kind.fileCorner[k];
            writeLE16(record + 2 * fileCorner, c.field);
            uint8_t* attribute = record + kind.attributeAt[fileCorner];
            if (kind.textured) {
                attribute[0] = static_cast<uint8_t>(c.attribute[0]);
                attribute[1] = static_cast<uint8_t>(c.attribute[1] - p.rowOffset);
            } else {
                for (int a = 0; a < 3; ++a) attribute[a] = static_cast<uint8_t>(c.attribute[a]);
            }
        }
    }

    const PartEdit& part_;
    std::vector<OutPolygon> out_[kPolygonKindCount];
    std::vector<VertexRecord> vertices_;
};

}  // namespace

std::string rebuildBlock(const PartEdit& part, std::vector<uint8_t>& out) {
    return Rebuild(part).run(out);
}
