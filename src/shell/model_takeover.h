#pragma once

#include <cstdint>
#include <vector>

#include "document/document.h"
#include "io/result.h"
#include "model/pose.h"

class BoneNode;
class PartMesh;

// How a model that replaces the one shown came to be shown.
enum class Takeover {
    Open,    // "Open archive": a fresh start, as at start-up
    Reload,  // the same file read again (F5, "Reload archive", or a change on disk)
    Walk,    // the next or previous file of the folder
};

// What the model shown hands on to the one that replaces it.
struct ShownModelView {
    std::vector<int32_t> treeShape;     // bone id and child count of each node, in pre-order
    std::vector<int32_t> partsVisible;  // bone i's part shown (1) or hidden (0) at i
    int32_t selectedBone = 0;
    Pose pose;                // every node's matrices as they are now
    bool poseEdited = false;  // they differ from the pose as loaded
};

ShownModelView viewOf(const BoneNode& root, const std::vector<PartMesh*>& parts,
                      int32_t selectedBone, const Pose& loadedPose);
std::vector<int32_t> treeShapeOf(const BoneNode& root);

// Why a replacing model is refused (the shown one stays), or None.
enum class Refusal { None, Unreadable, CutShort, NoBoneNoTexture };
// "Open archive" and the walk take whatever brings a bone or a texture (any image header read
// gives the page its size); a reload also refuses a file cut short, which may be caught half
// written. A document that could not be read at all is Unreadable.
Refusal refusalOf(const Result<Document>& loaded, Takeover how);

// What the new model takes over; everything else starts as at start-up (parts hidden, root
// chosen, the archive's own pose).
struct Carried {
    bool parts = false;     // each part shown or hidden as it was
    bool allParts = false;  // every part shown
    bool selection = false;
    bool pose = false;  // the user's rotations and translations (the bone offsets stay new)
};
// A reload onto the same bone tree keeps the parts and the chosen bone, and the pose when it
// was edited; the walk shows every part when every part was shown.
Carried carriedOver(Takeover how, const ShownModelView& before,
                    const std::vector<int32_t>& newTreeShape);

// Applies what is carried onto the new model's bones.
void carryOver(const Carried& carried, const ShownModelView& before, BoneNode& root,
               std::vector<PartMesh*>& parts, int32_t& selectedBone);
