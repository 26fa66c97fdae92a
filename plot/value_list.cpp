#include "plot/value_list.h"

#include <algorithm>
#include <cstring>

namespace tarvolen {

void TChartValueList::Regrow(std::size_t front, std::size_t back) {
  const std::size_t count = Count();
  const std::size_t capacity = front + count + back;
  auto data = std::make_unique_for_overwrite<double[]>(capacity);
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

void TChartValueList::Clear() {
  data_.reset();
  capacity_ = begin_ = end_ = 0;
}

}  // namespace tarvolen
