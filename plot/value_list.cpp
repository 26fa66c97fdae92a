#include "plot/value_list.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "common/huge_pages.h"

namespace tarvolen {
namespace {

// A fitted curve of a million rows holds 20 million samples: big buffers go on huge pages, which
// spares the page faults of touching 320 MB in 4 kB steps.
double* Allocate(std::size_t count) {
  if (count > SIZE_MAX / sizeof(double)) throw std::bad_alloc();
  return static_cast<double*>(
      AllocateOnHugePages(std::max<std::size_t>(count, 1) * sizeof(double)));
}

}  // namespace

void TChartValueList::Free::operator()(double* p) const { std::free(p); }

void TChartValueList::Regrow(std::size_t front, std::size_t back) {
  const std::size_t count = Count();
  const std::size_t capacity = front + count + back;
  std::unique_ptr<double[], Free> data(Allocate(capacity));
  if (count > 0) std::memcpy(data.get() + front, data_.get() + begin_, count * sizeof(double));
  data_ = std::move(data);
  capacity_ = capacity;
  begin_ = front;
  end_ = front + count;
}

void TChartValueList::PushBack(double v) {
  if (end_ == capacity_) Regrow(begin_, std::max<std::size_t>(16, Count()));
  data_[end_++] = v;
}

void TChartValueList::PushFront(double v) {
  if (begin_ == 0) Regrow(std::max<std::size_t>(16, Count()), capacity_ - end_);
  data_[--begin_] = v;
}

void TChartValueList::Splice(std::size_t begin, std::size_t end, const double* values,
                             std::size_t count) {
  const std::size_t grow = count - (end - begin);
  if (begin < Count() - end) {
    // Fewer values before the range: move them to the front by `grow`.
    if (begin_ < grow) Regrow(std::max(grow, Count()), capacity_ - end_);
    double* first = data_.get() + begin_;
    std::memmove(first - grow, first, begin * sizeof(double));
    begin_ -= grow;
  } else {
    if (capacity_ - end_ < grow) Regrow(begin_, std::max(grow, Count()));
    double* after = data_.get() + begin_ + end;
    std::memmove(after + grow, after, (Count() - end) * sizeof(double));
    end_ += grow;
  }
  std::memcpy(data_.get() + begin_ + begin, values, count * sizeof(double));
}

void TChartValueList::Insert(std::size_t index, double v) {
  const std::size_t count = Count();
  if (index >= count) {
    PushBack(v);
    return;
  }
  if (index == 0) {
    PushFront(v);
    return;
  }
  // Move the shorter side.
  if (index < count / 2 && begin_ > 0) {
    double* first = data_.get() + begin_;
    std::memmove(first - 1, first, index * sizeof(double));
    --begin_;
    data_[begin_ + index] = v;
    return;
  }
  if (end_ == capacity_) Regrow(begin_, std::max<std::size_t>(16, count));
  double* at = data_.get() + begin_ + index;
  std::memmove(at + 1, at, (count - index) * sizeof(double));
  *at = v;
  ++end_;
}

void TChartValueList::Reserve(std::size_t count, bool at_front) {
  if (at_front) {
    if (begin_ < count) Regrow(count, capacity_ - end_);
  } else if (capacity_ - end_ < count) {
    Regrow(begin_, count);
  }
}

void TChartValueList::Swap(TChartValueList& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(capacity_, other.capacity_);
  std::swap(begin_, other.begin_);
  std::swap(end_, other.end_);
}

void TChartValueList::Clear() {
  data_.reset();
  capacity_ = begin_ = end_ = 0;
}

}  // namespace tarvolen
