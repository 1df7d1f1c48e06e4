#include "shell/glui_lite.h"

namespace glui_lite {

Checkbox::Checkbox(std::string name, int32_t* live, int id, Callback callback)
    : Control(id, callback), name(std::move(name)), live(live) {
    syncFromLive();  // a new control starts from its live variable's value
}

void Checkbox::click() {
    if (!enabled) return;
    value_ = 1 - value_;
    if (live) *live = value_;
    fire();
}

void Checkbox::syncFromLive() {
    if (live) value_ = *live ? 1 : 0;
}

bool Checkbox::drawRow(int /*row*/, Painter& painter) const {
    return painter.checkbox(name, value_ != 0);
}

RadioGroup::RadioGroup(int32_t* live, int id, Callback callback)
    : Control(id, callback), live(live) {
    syncFromLive();
}

void RadioGroup::click(int index) {
    if (!enabled || index < 0 || index >= static_cast<int>(buttons.size())) return;
    value_ = index;
    if (live) *live = value_;
    fire();
}

void RadioGroup::syncFromLive() {
    if (live) value_ = *live;
}

bool RadioGroup::drawRow(int row, Painter& painter) const {
    return painter.radioButton(buttons[row], value_ == row);
}

bool Button::drawRow(int /*row*/, Painter& painter) const {
    return painter.button(name);
}

template <typename T>
T* Window::own(std::unique_ptr<T> control, Column& column) {
    T* raw = control.get();
    controls_.push_back(std::move(control));
    items_.push_back(std::make_unique<ControlItem>(raw));
    column.items.push_back(items_.back().get());
    return raw;
}

Panel* Window::add_panel(const std::string& name, PanelType type) {
    auto panel = std::make_unique<Panel>(name, type);
    Panel* raw = panel.get();
    items_.push_back(std::move(panel));
    columns.back().items.push_back(raw);
    return raw;
}

void Window::add_column(bool bar) {
    columns.push_back(Column{bar, {}});
}

void Window::add_column_to_panel(Panel* panel, bool bar) {
    panel->columns.push_back(Column{bar, {}});
}

Checkbox* Window::add_checkbox_to_panel(Panel* panel, const std::string& name, int32_t* live,
                                        int id, Callback callback) {
    return own(std::make_unique<Checkbox>(name, live, id, callback), panel->columns.back());
}

RadioGroup* Window::add_radiogroup_to_panel(Panel* panel, int32_t* live, int id,
                                            Callback callback) {
    return own(std::make_unique<RadioGroup>(live, id, callback), panel->columns.back());
}

RadioGroup* Window::add_radiogroup(int32_t* live, int id, Callback callback) {
    return own(std::make_unique<RadioGroup>(live, id, callback), columns.back());
}

void Window::add_radiobutton_to_group(RadioGroup* group, const std::string& name) {
    group->buttons.push_back(name);
}

Button* Window::add_button(const std::string& name, int id, Callback callback) {
    return own(std::make_unique<Button>(name, id, callback), columns.back());
}

StaticText* Window::add_statictext(const std::string& text, const std::string& tooltip) {
    return own(std::make_unique<StaticText>(text, tooltip), columns.back());
}

void Window::sync_live() {
    for (auto& control : controls_) control->syncFromLive();
    if (onChanged) onChanged();
}

}  // namespace glui_lite
