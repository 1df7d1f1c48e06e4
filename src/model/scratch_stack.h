#pragma once

#include <vector>

// The explicit stack of an iterative tree walk. Its storage is kept per thread between walks, so
// an edit sent down the tree on every mouse motion allocates nothing once the first walk has
// grown it. A walk started inside another walk gets a fresh vector of its own.
template <typename T>
class ScratchStack {
  public:
    ScratchStack() { items_.swap(pool()); }
    ~ScratchStack() {
        items_.clear();
        if (items_.capacity() > pool().capacity()) items_.swap(pool());
    }
    ScratchStack(const ScratchStack&) = delete;
    ScratchStack& operator=(const ScratchStack&) = delete;

    std::vector<T>& items() { return items_; }

  private:
    static std::vector<T>& pool() {
        thread_local std::vector<T> storage;
        return storage;
    }
    std::vector<T> items_;
};
