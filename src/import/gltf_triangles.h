#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tinygltf {
class Model;
}

// One corner of a skinned triangle as the file holds it.
struct FileCorner {
    float position[3];   // where the skin binds it: the file's mesh space
    float attribute[3];  // textured: (s, t, 0); else the linear colour
    int bone;            // the tree position of the joint it weighs most on
};

struct FileTriangle {
    FileCorner corners[3];  // in the file's order, counter-clockwise from the front
    bool textured;          // its material is the texture page
};

// Hands every triangle of the meshes bound to skin to take, one at a time (a large file's
// triangles are never all held at once), each corner given to the joint it weighs most on (the
// first of equals); jointPositions gives each joint's tree position (-1 for none). take returns
// "" to go on. "" on success, else the one thing that is wrong, naming the primitive; *count
// gets the number of triangles read.
using TriangleSink = std::function<std::string(const FileTriangle&)>;
std::string readSkinnedTriangles(const tinygltf::Model& doc, int skin,
                                 const std::vector<int>& jointPositions, const TriangleSink& take,
                                 size_t* count = nullptr);
