#include "shell/menu_edits.h"

#include <algorithm>

void MenuEdits::setMenuInUse(bool inUse) {
    inUse_ = inUse;
    if (inUse_) return;
    std::vector<Edit> edits;
    edits.swap(waiting_);
    for (const Edit& edit : edits) change_(edit.menu, edit.position, edit.label, edit.value);
}

void MenuEdits::changeEntry(int menu, int position, const std::string& label, int value) {
    if (!inUse_) {
        change_(menu, position, label, value);
        return;
    }
    // Only the newest label of an entry matters.
    waiting_.erase(
        std::remove_if(waiting_.begin(), waiting_.end(),
                       [&](const Edit& e) { return e.menu == menu && e.position == position; }),
        waiting_.end());
    waiting_.push_back({menu, position, label, value});
}
