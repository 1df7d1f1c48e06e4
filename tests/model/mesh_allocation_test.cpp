// Counts heap allocations while a mesh is parsed: a mesh of any size must cost one allocation
// per array (vertices, corner vertices, colours, texture coordinates, polygon starts), never one
// per polygon or corner.

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "archive_builder.h"
#include "model/part_mesh.h"

namespace {
bool counting = false;
size_t allocations = 0;

void* allocate(size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(size_t size) {
    return allocate(size);
}
void* operator new[](size_t size) {
    return allocate(size);
}
// The non-throwing forms too (std::stable_sort asks for its buffer with them), so that every
// block this program frees came from the same allocator.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}

namespace {

namespace ab = archive_builder;

size_t allocationsToParse(size_t perGroup) {
    ab::MeshBlock block;
    block.vertices = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {1, 1, 1}};
    for (size_t i = 0; i < perGroup; ++i) {
        block.texturedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)}, {}, 0});
        block.texturedQuads.push_back(
            {{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)}, {}, 0});
        block.shadedTriangles.push_back({{ab::vref(0), ab::vref(1), ab::vref(2)}, {}});
        block.shadedQuads.push_back({{ab::vref(0), ab::vref(1), ab::vref(2), ab::vref(3)}, {}});
    }
    const ab::Bytes bytes = block.bytes();
    PartMesh mesh;
    allocations = 0;
    counting = true;
    const bool parsed = mesh.parsePartMesh(BoundedReader(bytes.data(), bytes.size())).ok();
    counting = false;
    EXPECT_TRUE(parsed);
    EXPECT_EQ(mesh.polygonCount(), 4 * perGroup);
    return allocations;
}

TEST(MeshParser, AllocatesOnceWhateverTheSizeOfTheMesh) {
    EXPECT_EQ(allocationsToParse(1), 5u);
    EXPECT_EQ(allocationsToParse(200), 5u);
}

}  // namespace
