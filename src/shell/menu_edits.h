#pragma once

#include <functional>
#include <string>
#include <vector>

// Changes to menu entries, held back while a menu is open: GLUT ends the program when an entry
// changes under an open menu, and a key pressed in a view while its menu is open still arrives.
// The changes wait, newest per entry, and are made in order once the menu has closed.
class MenuEdits {
  public:
    using Change = std::function<void(int menu, int position, const std::string& label, int value)>;

    explicit MenuEdits(Change change) : change_(std::move(change)) {}

    // Whether a menu is open (GLUT's menu status). Closing makes the waiting changes.
    void setMenuInUse(bool inUse);
    bool menuInUse() const { return inUse_; }
    // Changes the entry now, or once the menu has closed.
    void changeEntry(int menu, int position, const std::string& label, int value);

  private:
    struct Edit {
        int menu, position;
        std::string label;
        int value;
    };
    Change change_;
    bool inUse_ = false;
    std::vector<Edit> waiting_;
};
