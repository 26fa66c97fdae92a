#pragma once

#include <cstddef>
#include <memory>

namespace tarvolen {

// A list of doubles (`TChartValueList`) that grows cheaply at both ends: a fitted curve sampled
// from a larger to a smaller X is stored by inserting every sample at the front, which must not
// move the whole list each time.
class TChartValueList {
 public:
  TChartValueList() = default;
  TChartValueList(const TChartValueList&) = delete;
  TChartValueList& operator=(const TChartValueList&) = delete;

  std::size_t Count() const { return end_ - begin_; }
  bool Empty() const { return begin_ == end_; }
  double operator[](std::size_t i) const { return data_[begin_ + i]; }
  double First() const { return data_[begin_]; }
  double Last() const { return data_[end_ - 1]; }
  const double* begin() const { return data_.get() + begin_; }
  const double* end() const { return data_.get() + end_; }

  void PushBack(double v);
  void PushFront(double v);
  // Replaces the values [begin, end) by the `count` values given (count >= end - begin),
  // moving whichever of the values before and after the range are fewer.
  void Splice(std::size_t begin, std::size_t end, const double* values, std::size_t count);
  // Inserts before position `index` (0..Count()).
  void Insert(std::size_t index, double v);
  // Makes room for `count` more values at the back (`at_front` false) or at the front.
  void Reserve(std::size_t count, bool at_front);
  void Clear();
  // Exchanges the values (and their storage) of the two lists.
  void Swap(TChartValueList& other) noexcept;

 private:
  // Reallocates so that at least `front` free slots precede and `back` follow the values.
  void Regrow(std::size_t front, std::size_t back);

  struct Free {
    void operator()(double* p) const;
  };
  std::unique_ptr<double[], Free> data_;
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace tarvolen
