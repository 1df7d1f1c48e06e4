#include "shell/control_panel.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

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

}  // namespace

std::string boneRadioLabel(int boneId) {
    char label[16];
    std::snprintf(label, sizeof label, "% 3d", boneId);
    return label;
}

std::unique_ptr<Window> buildControlPanel(Callback quit) {
    auto panel = std::make_unique<Window>("GLUI", 660, 370);
    // The name is shortened to fit the panel; its whole path shows while the pointer rests on it.
    panel->add_statictext(shownModelName, fullPath(shownArchivePath));
    Panel* visibleSelect = panel->add_panel("VisibleSelect", PanelEmbossed);
    panel->add_column(true);

    // The root row's check box is only a placeholder: the root has no part to show.
    panel->add_checkbox_to_panel(visibleSelect, "", nullptr, -1, nullptr)->disable();
    // Each box starts as its part is: hidden, but for the demo model, which opens showing all.
    partCheckboxes.clear();
    for (size_t i = 0; i < boneIndexList.size(); ++i) {
        Checkbox* box = panel->add_checkbox_to_panel(visibleSelect, "", nullptr,
                                                     static_cast<int>(i + 1), onPartCheckbox);
        const int32_t k = boneIndexList[i];
        if (k >= 0 && static_cast<size_t>(k) < partList.size()) {
            box->set_int_val(partList[k]->isVisible());
        }
        partCheckboxes.push_back(box);
    }
    panel->add_column_to_panel(visibleSelect, false);

    rootGroup = panel->add_radiogroup_to_panel(visibleSelect, &selectedBone, 0, onRootGroup);
    panel->add_radiobutton_to_group(rootGroup, "root");
    for (int32_t boneIndex : boneIndexList) {
        panel->add_radiobutton_to_group(rootGroup, boneRadioLabel(boneIndex + 1));
    }

    modeGroup = panel->add_radiogroup(&MouseMode, -1, nullptr);
    panel->add_radiobutton_to_group(modeGroup, "Rotation");
    panel->add_radiobutton_to_group(modeGroup, "Translation");
    panel->add_radiobutton_to_group(modeGroup, "Zoom");

    panel->add_button("Quit", 0, quit);
    panel->add_button("Show all", 0, onShowAll);
    panel->add_button("Hide all", 0, onHideAll);
    panel->add_button("Undo", 0, onUndo);
    panel->add_button("Redo", 0, onRedo);
    playbackLine = panel->add_statictext("");
    controlPanel = panel.get();
    return panel;
}
