#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A small control-panel model in the manner of GLUI: controls with ids, callbacks and live
// variables, laid out in panels and columns. It holds no window-system state; the panel window
// draws it and turns clicks into click() calls.
//
// Live variables: every control keeps its own value. A click sets the control, writes its live
// variable and then calls its callback with the control's id. A change made to a live variable
// elsewhere shows in the control only after sync_live.
namespace glui_lite {

// A control's callback, called with its id; it may carry what it acts on.
using Callback = std::function<void(int id)>;

enum PanelType { PanelNone = 0, PanelEmbossed = 1, PanelRaised = 2 };

class Control;
class Panel;

// Draws what a panel holds; the panel window does it with Dear ImGui. The control calls return
// true when the user clicked that row in this frame.
class Painter {
  public:
    virtual ~Painter() = default;
    virtual bool checkbox(const std::string& label, bool checked) = 0;
    virtual bool radioButton(const std::string& label, bool selected) = 0;
    virtual bool button(const std::string& label) = 0;
    // A line of text, with a tooltip unless that is empty.
    virtual void text(const std::string& text, const std::string& tooltip) = 0;
    // One row of a control (through its drawRow) and a whole panel.
    virtual void controlRow(Control& control, int row) = 0;
    virtual void panel(Panel& panel) = 0;
};

class Control {
  public:
    Control(int id, Callback callback) : id(id), callback(std::move(callback)) {}
    virtual ~Control() = default;

    const int id;
    const Callback callback;
    bool enabled = true;

    void disable() { enabled = false; }
    void enable() { enabled = true; }
    // Copies the live variable into the control's value.
    virtual void syncFromLive() {}
    // Rows the control takes in a column.
    virtual int rowCount() const { return 1; }
    // Draws row `row` of the control; true when it was clicked.
    virtual bool drawRow(int row, Painter& painter) const = 0;
    // A click on row `row`, as click() of the control.
    virtual void clickRow(int row) = 0;

  protected:
    void fire() {
        if (callback) callback(id);
    }
};

class Checkbox : public Control {
  public:
    Checkbox(std::string name, int32_t* live, int id, Callback callback);
    const std::string name;
    int32_t* const live;

    int32_t get_int_val() const { return value_; }
    void set_int_val(int32_t value) { value_ = value ? 1 : 0; }
    // Flips the box, writes the live variable, calls the callback (when enabled).
    void click();
    void syncFromLive() override;
    bool drawRow(int row, Painter& painter) const override;
    void clickRow(int /*row*/) override { click(); }

  private:
    int32_t value_ = 0;
};

class RadioGroup : public Control {
  public:
    RadioGroup(int32_t* live, int id, Callback callback);
    int32_t* const live;
    std::vector<std::string> buttons;  // button k has the value k

    int32_t get_int_val() const { return value_; }
    void set_int_val(int32_t value) { value_ = value; }
    // Selects button index, writes the live variable, calls the callback (when enabled).
    void click(int index);
    void syncFromLive() override;
    int rowCount() const override { return static_cast<int>(buttons.size()); }  // one per button
    bool drawRow(int row, Painter& painter) const override;
    void clickRow(int row) override { click(row); }

  private:
    int32_t value_ = 0;
};

class Button : public Control {
  public:
    Button(std::string name, int id, Callback callback)
        : Control(id, std::move(callback)), name(std::move(name)) {}
    const std::string name;
    void click() {
        if (enabled) fire();
    }
    bool drawRow(int row, Painter& painter) const override;
    void clickRow(int /*row*/) override { click(); }
};

// A line of text; it takes no clicks.
class StaticText : public Control {
  public:
    StaticText(std::string text, std::string tooltip)
        : Control(-1, nullptr), text(std::move(text)), tooltip(std::move(tooltip)) {}
    std::string text;           // a line such as the playback status may change it
    const std::string tooltip;  // shown while the pointer rests on the text; empty for none
    bool drawRow(int /*row*/, Painter& painter) const override {
        painter.text(text, tooltip);
        return false;
    }
    void clickRow(int /*row*/) override {}
};

// One entry of a column: a control or a panel (which has columns of its own).
class Item {
  public:
    virtual ~Item() = default;
    // Rows the item takes in its column.
    virtual int rowCount() const = 0;
    // The control shown in the item's rows; none for a panel.
    virtual Control* control() const { return nullptr; }
    virtual void draw(Painter& painter) = 0;
};

// Items stacked top to bottom; a new column starts to the right of the last.
struct Column {
    bool barBefore = false;
    std::vector<Item*> items;
};
class ControlItem : public Item {
  public:
    explicit ControlItem(Control* control) : control_(control) {}
    int rowCount() const override { return control_->rowCount(); }
    Control* control() const override { return control_; }
    void draw(Painter& painter) override {
        for (int row = 0; row < control_->rowCount(); ++row) painter.controlRow(*control_, row);
    }

  private:
    Control* control_;
};
class Panel : public Item {
  public:
    Panel(std::string name, PanelType type) : name(std::move(name)), type(type), columns(1) {}
    const std::string name;
    const PanelType type;
    std::vector<Column> columns;
    int rowCount() const override { return 1; }
    void draw(Painter& painter) override { painter.panel(*this); }
};

class Window {
  public:
    Window(std::string name, int x, int y) : name(std::move(name)), x(x), y(y), columns(1) {}
    const std::string name;
    const int x, y;
    std::vector<Column> columns;  // the top level

    Panel* add_panel(const std::string& name, PanelType type);
    void add_column(bool bar);
    void add_column_to_panel(Panel* panel, bool bar);
    Checkbox* add_checkbox_to_panel(Panel* panel, const std::string& name, int32_t* live, int id,
                                    Callback callback);
    RadioGroup* add_radiogroup_to_panel(Panel* panel, int32_t* live, int id, Callback callback);
    RadioGroup* add_radiogroup(int32_t* live, int id, Callback callback);
    void add_radiobutton_to_group(RadioGroup* group, const std::string& name);
    Button* add_button(const std::string& name, int id, Callback callback);
    StaticText* add_statictext(const std::string& text, const std::string& tooltip = "");

    // Copies every live variable into its control, then tells the window to redraw.
    void sync_live();
    // Called whenever a control's shown value may have changed (the panel window redraws).
    std::function<void()> onChanged;

    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

  private:
    template <typename T>
    T* own(std::unique_ptr<T> control, Column& column);
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<Item>> items_;
};

}  // namespace glui_lite
