#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace tarvolen {

// A vector whose copies share their elements until one of them is changed (copy on write), with
// the part of std::vector's interface the grid uses. A grid copied for work on another thread
// costs nothing while neither copy changes; a copy that is changed while another still shares
// its elements first takes elements of its own.
//
// Reading through `const` access never copies and may happen on any number of threads at once.
// Every non-const access counts as a change. A copy may be read on another thread while the
// original is changed on its own: the change copies the elements first.
template <class E>
class SharedVector {
 public:
  std::size_t size() const { return items_ ? items_->size() : 0; }
  bool empty() const { return size() == 0; }
  std::size_t capacity() const { return items_ ? items_->capacity() : 0; }

  const E& operator[](std::size_t i) const { return (*items_)[i]; }
  E& operator[](std::size_t i) { return Own()[i]; }
  const E* data() const { return items_ ? items_->data() : nullptr; }
  E* data() { return Own().data(); }

  void resize(std::size_t count) { Own().resize(count); }
  void reserve(std::size_t count) { Own().reserve(count); }

 private:
  // The elements, this vector's own from now on.
  std::vector<E>& Own() {
    if (!items_) {
      items_ = std::make_shared<std::vector<E>>();
    } else if (items_.use_count() > 1) {
      auto own = std::make_shared<std::vector<E>>();
      own->reserve(items_->capacity());
      own->assign(items_->begin(), items_->end());
      items_ = std::move(own);
    } else {
      // The last other owner may have let go on another thread: its reads come first.
      std::atomic_thread_fence(std::memory_order_acquire);
    }
    return *items_;
  }

  std::shared_ptr<std::vector<E>> items_;
};

}  // namespace tarvolen
