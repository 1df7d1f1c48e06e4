#include "shell/control_panel.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "model/part_mesh.h"
#include "shell/handlers.h"
#include "shell/viewer_state.h"

using namespace glui_lite;

namespace {

// The archive's path from the root, as a tooltip shows it; empty for the demo model.
std::string fullPath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    char* folder = getcwd(nullptr, 0);
    if (!folder) return path;
    std::string full = std::string(folder) + "/" + path;
    std::free(folder);
    return full;
}

// A callback of the panel's controls, acting on viewer.
Callback on(ViewerState& viewer, void (*handler)(ViewerState&, int)) {
    return [&viewer, handler](int id) { handler(viewer, id); };
}

}  // namespace

std::string boneRadioLabel(int boneId) {
    char label[16];
    std::snprintf(label, sizeof label, "% 3d", boneId);
    return label;
}

std::unique_ptr<Window> buildControlPanel(ViewerState& viewer, Callback quit) {
    auto panel = std::make_unique<Window>("GLUI", 660, 370);
    // The name is shortened to fit the panel; its whole path shows while the pointer rests on it.
    panel->add_statictext(viewer.shownModelName, fullPath(viewer.shownArchivePath));
    Panel* visibleSelect = panel->add_panel("VisibleSelect", PanelEmbossed);
    panel->add_column(true);

    // The root row's check box is only a placeholder: the root has no part to show.
    panel->add_checkbox_to_panel(visibleSelect, "", nullptr, -1, nullptr)->disable();
    // Each box starts as its part is: hidden, but for the demo model, which opens showing all.
    PanelControls& controls = viewer.panel;
    controls.partCheckboxes.clear();
    const std::vector<int32_t>& bones = viewer.boneIndices();
    const std::vector<PartMesh*>& parts = viewer.parts();
    for (size_t i = 0; i < bones.size(); ++i) {
        Checkbox* box = panel->add_checkbox_to_panel(
            visibleSelect, "", nullptr, static_cast<int>(i + 1), on(viewer, onPartCheckbox));
        const int32_t k = bones[i];
        if (k >= 0 && static_cast<size_t>(k) < parts.size()) {
            box->set_int_val(parts[k]->isVisible());
        }
        controls.partCheckboxes.push_back(box);
    }
    panel->add_column_to_panel(visibleSelect, false);

    controls.rootGroup = panel->add_radiogroup_to_panel(visibleSelect, &viewer.selectedBone, 0,
                                                        on(viewer, onRootGroup));
    panel->add_radiobutton_to_group(controls.rootGroup, "root");
    for (int32_t boneIndex : bones) {
        panel->add_radiobutton_to_group(controls.rootGroup, boneRadioLabel(boneIndex + 1));
    }

    controls.modeGroup = panel->add_radiogroup(&viewer.mouseMode, -1, nullptr);
    panel->add_radiobutton_to_group(controls.modeGroup, "Rotation");
    panel->add_radiobutton_to_group(controls.modeGroup, "Translation");
    panel->add_radiobutton_to_group(controls.modeGroup, "Zoom");

    panel->add_button("Quit", 0, std::move(quit));
    panel->add_button("Show all", 0, on(viewer, onShowAll));
    panel->add_button("Hide all", 0, on(viewer, onHideAll));
    panel->add_button("Undo", 0, on(viewer, onUndo));
    panel->add_button("Redo", 0, on(viewer, onRedo));
    controls.playbackLine = panel->add_statictext("");
    controls.window = panel.get();
    return panel;
}
