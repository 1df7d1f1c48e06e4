#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class PartMesh;

// Where one part's triangles lie in its drawing's arrays, for each of the two passes: the first
// corner and the number of corners (three per triangle).
struct PartCorners {
    size_t shadedFirst = 0, shadedCount = 0;
    size_t texturedFirst = 0, texturedCount = 0;
};

// Every part's polygons as the triangles GL draws, laid out once for vertex arrays: each polygon
// fanned from its first corner (0, k, k + 1), the way GL splits a polygon, in the part's polygon
// order. The shaded corners carry position and colour (six floats each), the textured ones
// position and texture coordinates (five floats; their colour is white). All parts share two
// blocks of memory, asked for in huge pages, so that laying out half a million polygons is
// two allocations and few page faults, and drawing a part is one glDrawArrays per pass.
class PartArrays {
  public:
    static constexpr size_t kShadedFloats = 6;
    static constexpr size_t kTexturedFloats = 5;

    PartArrays() = default;
    explicit PartArrays(const std::vector<PartMesh*>& parts);

    size_t partCount() const { return parts_.size(); }
    const PartCorners& part(size_t index) const { return parts_[index]; }
    const float* shaded() const { return shaded_.get(); }
    const float* textured() const { return textured_.get(); }

  private:
    std::vector<PartCorners> parts_;
    std::unique_ptr<float[]> shaded_;
    std::unique_ptr<float[]> textured_;
};
