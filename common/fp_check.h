#pragma once

// Floating-point fault detection for the fits.
//
// An invalid operation, a division by zero and an overflow end a fit at the first operation that
// raises them; underflow, denormal operands and inexact results pass. Checking the flags after
// every operation is exact but slow, so arithmetic is written once as a template on its number
// type and run in one of two ways:
//
//   * `Extended`: plain x87 arithmetic, the flags read once for a whole row, block or chunk.
//   * `Checked`: every operation tests the flags right after itself and throws the matching
//     error (`EInvalidOp`, `EZeroDivide`, `EOverflow`).
//
// The rule every pass follows, and the only places that clear or read the flags (`RanClean` for
// a plain run, `RunChecked` for a checked one):
//
//   1. The flags are cleared right before the run, with a compiler barrier on either side.
//   2. A plain run computes with `Extended` and leaves its results in memory: in locals it names
//      to `RanClean`, or behind pointers and references (arrays, matrices, the caller's fields).
//   3. After the run, a compiler barrier forces those results into memory before the one read of
//      the flags: no operation of the run may move past the read. Flags are per thread, so a run
//      on a worker thread sees only its own faults.
//   4. The flags are cleared again. The run was clean when no fault bit was raised and it threw
//      none of the system's errors (a bad cell text counts as unclean too).
//   5. A run that was not clean is redone with `Checked` from the state before it; `RunChecked`
//      clears the flags first, and the first failing operation (or bad text) then throws. Small
//      scalar steps (start values, the statistics) run checked at once.
//
// Exceptions other than the system's errors (a cancelled fit, running out of memory) are no fault
// of the data: they pass through `RanClean` untouched and end the pass.

#if !defined(__x86_64__)
#error "The fits read the x87 and SSE fault flags directly: Tarvolen builds for x86-64 only"
#endif

#include <bit>
#include <cfenv>
#include <cmath>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "common/errors.h"
#include "common/ext_math.h"
#include "common/extended.h"

namespace tarvolen::fp {

// Bits shared by the x87 status word and MXCSR: invalid (0), zero divide (2), overflow (3).
inline constexpr unsigned kInvalidBit = 0x01;
inline constexpr unsigned kZeroDivideBit = 0x04;
inline constexpr unsigned kOverflowBit = 0x08;
inline constexpr unsigned kFaultBits = kInvalidBit | kZeroDivideBit | kOverflowBit;

// The fault bits raised since the last `Clear`. Reads the flags directly, so the read stays in
// program order with the other volatile barriers below.
inline unsigned RaisedBits() {
  std::uint16_t status;
  std::uint32_t mxcsr;
  asm volatile("fnstsw %0" : "=am"(status)::"memory");
  asm volatile("stmxcsr %0" : "=m"(mxcsr)::"memory");
  return (status | mxcsr) & kFaultBits;
}

inline bool Raised() { return RaisedBits() != 0; }

inline void Clear() {
  asm volatile("" ::: "memory");
  std::feclearexcept(FE_ALL_EXCEPT);
  asm volatile("" ::: "memory");
}

// Throws the error for the first of the raised bits (invalid before zero divide before overflow:
// one operation raises at most one of them in practice).
[[noreturn]] void Throw(unsigned bits);

// Saves the flags on construction and restores them on destruction: for code that may raise
// flags of no concern to the fit (the fall-back text conversion).
class FlagsKeeper {
 public:
  FlagsKeeper() { std::fegetexceptflag(&saved_, FE_ALL_EXCEPT); }
  ~FlagsKeeper() { std::fesetexceptflag(&saved_, FE_ALL_EXCEPT); }
  FlagsKeeper(const FlagsKeeper&) = delete;
  FlagsKeeper& operator=(const FlagsKeeper&) = delete;

 private:
  std::fexcept_t saved_;
};

namespace detail {
// Keeps the compiler from moving an operation across the flag test around it: the value must
// exist in an x87 register at this point of the program.
[[gnu::always_inline]] inline Extended Pin(Extended x) {
  asm volatile("" : "+t"(x));
  return x;
}
[[gnu::always_inline]] inline Extended Done(Extended r) {
  r = Pin(r);
  if (const unsigned bits = RaisedBits()) Throw(bits);
  return r;
}
// The value of `result` must be in memory here, with every operation that produced it done.
template <class T>
[[gnu::always_inline]] inline void InMemory(T& result) {
  asm volatile("" : : "r"(&result) : "memory");
}
}  // namespace detail

// An extended real whose every operation tests the flags and throws at the first fault.
struct Checked {
  Extended v = 0;
  constexpr Checked() = default;
  constexpr Checked(Extended x) : v(x) {}  // NOLINT: implicit on purpose, constants mix in
  explicit operator Extended() const { return v; }
};
static_assert(sizeof(Checked) == sizeof(Extended) && std::is_trivially_copyable_v<Checked>,
              "a pass state converts between the two number types byte for byte");

[[gnu::always_inline]] inline Checked operator+(Checked a, Checked b) {
  return detail::Done(detail::Pin(a.v) + detail::Pin(b.v));
}
[[gnu::always_inline]] inline Checked operator-(Checked a, Checked b) {
  return detail::Done(detail::Pin(a.v) - detail::Pin(b.v));
}
[[gnu::always_inline]] inline Checked operator*(Checked a, Checked b) {
  return detail::Done(detail::Pin(a.v) * detail::Pin(b.v));
}
[[gnu::always_inline]] inline Checked operator/(Checked a, Checked b) {
  return detail::Done(detail::Pin(a.v) / detail::Pin(b.v));
}
inline Checked operator-(Checked a) { return Checked(-a.v); }
inline Checked& operator+=(Checked& a, Checked b) { return a = a + b; }
inline Checked& operator-=(Checked& a, Checked b) { return a = a - b; }
inline Checked& operator*=(Checked& a, Checked b) { return a = a * b; }
inline Checked& operator/=(Checked& a, Checked b) { return a = a / b; }
inline bool operator==(Checked a, Checked b) { return a.v == b.v; }
inline bool operator!=(Checked a, Checked b) { return a.v != b.v; }
inline bool operator<(Checked a, Checked b) { return a.v < b.v; }
inline bool operator>(Checked a, Checked b) { return a.v > b.v; }
inline bool operator<=(Checked a, Checked b) { return a.v <= b.v; }
inline bool operator>=(Checked a, Checked b) { return a.v >= b.v; }

// The value of either number type as a plain extended real.
inline Extended Value(Extended x) { return x; }
inline Extended Value(Checked x) { return x.v; }

// Elementary functions for both number types (common/ext_math.h: each result rounded once, to
// within 0.503 units in the last place). The logarithm of 0 raises division by zero, of a
// negative number an invalid operation; e^x overflows from x = 11356.52...; the square root of
// a negative number is invalid.
inline Extended Ln(Extended x) { return ext::Ln(x); }
inline Extended Log10(Extended x) { return ext::Log10(x); }
inline Extended Exp(Extended x) { return ext::Exp(x); }
inline Extended Sqrt(Extended x) { return sqrtl(x); }
inline Extended Abs(Extended x) { return fabsl(x); }
inline Checked Ln(Checked x) { return detail::Done(ext::Ln(detail::Pin(x.v))); }
inline Checked Log10(Checked x) { return detail::Done(ext::Log10(detail::Pin(x.v))); }
inline Checked Exp(Checked x) { return detail::Done(ext::Exp(detail::Pin(x.v))); }
inline Checked Sqrt(Checked x) { return detail::Done(sqrtl(detail::Pin(x.v))); }
inline Checked Abs(Checked x) { return Checked(fabsl(x.v)); }

// ln x as an unevaluated sum of two extended reals (ext::LnWide); its high part is Ln(x). A
// checked one tests the flags once both parts exist.
[[gnu::always_inline]] inline ext::Extended2 LnWide(Extended x) { return ext::LnWide(x); }
inline ext::Extended2 LnWide(Checked x) {
  ext::Extended2 l = ext::LnWide(detail::Pin(x.v));
  l.lo = detail::Pin(l.lo);
  l.hi = detail::Done(l.hi);
  return l;
}

// e^(a·(ln.hi + ln.lo)) of the exact product, rounded once (ext::ExpOfProduct), for a factor
// made ready by ext::Ready; faults as Exp(a·ln.hi) with the product rounded.
[[gnu::always_inline]] inline Extended ExpOfProduct(Extended a, const ext::ReadyFactor& ln) {
  return ext::ExpOfProduct(a, ln);
}
inline Checked ExpOfProduct(Checked a, const ext::ReadyFactor& ln) {
  return detail::Done(ext::ExpOfProduct(detail::Pin(a.v), ln));
}

// Rounding to the chart's 64-bit doubles: beyond the double range this raises an overflow.
inline double ToDouble(Extended x) { return static_cast<double>(x); }
inline double ToDouble(Checked x) {
  double d = static_cast<double>(detail::Pin(x.v));
  asm volatile("" : "+m"(d));
  if (const unsigned bits = RaisedBits()) Throw(bits);
  return d;
}

// Runs `run()` plainly under the rule above and tells whether it was clean. `results` are the
// locals `run` leaves its results in (a running sum, a state copy); whatever else it writes
// must be reached through pointers or references. A result is forced into memory for the whole
// run, so a loop keeps its running values in locals of its own (registers) and stores them into
// its results once, at its end. On return the flags are clear.
template <class Run, class... Results>
[[nodiscard]] bool RanClean(Run&& run, Results&... results) {
  Clear();
  bool clean = false;
  try {
    run();
    (detail::InMemory(results), ...);
    asm volatile("" ::: "memory");
    clean = !Raised();
  } catch (const Exception&) {
    clean = false;
  }
  Clear();
  return clean;
}

// Runs `run()`, which computes with `Checked`, from cleared flags: it throws the error of its
// first failing operation. Returns what `run` returns.
template <class Run>
decltype(auto) RunChecked(Run&& run) {
  Clear();
  return run();
}

// The pass state `state` (a template S<T> on the number type) in the other number type, every
// field included: the two number types share their layout, so the state is copied byte for byte
// and a field added later cannot be forgotten on the rerun path.
template <class To, template <class> class S, class From>
S<To> Rebind(const S<From>& state) {
  static_assert(sizeof(S<To>) == sizeof(S<From>) && std::is_trivially_copyable_v<S<From>> &&
                    std::is_trivially_copyable_v<S<To>>,
                "a pass state must be trivially copyable and laid out alike for both number types");
  return std::bit_cast<S<To>>(state);
}

// Runs `body(T{})` with T = Extended under `RanClean`; when that was not clean, runs
// `body(Checked{})` under `RunChecked`, so that the error of the first failing operation (or the
// first bad text) is the one that escapes. `body` must leave no trace of a plain run that
// failed: it commits its results only at its end, or restores them itself before the checked run
// (see `GuardedRows`).
template <class Body>
void Guarded(Body&& body) {
  if (RanClean([&] { body(Extended{}); })) return;
  RunChecked([&] { body(Checked{}); });
}

// Runs `row(T{}, state, i)` for i in [begin, end) in blocks: each block runs plainly on a copy of
// `state`, which is committed when the block ends clean. A block that was not clean runs again
// checked from the state before it, so the error names the first failing row and operation.
// `State` is a template `S<T>` on the number type (see `Rebind`). `between(first)` runs before
// each block (progress, cancellation).
template <template <class> class State, class Row, std::invocable<std::size_t> Between>
void GuardedRows(std::size_t begin, std::size_t end, State<Extended>& state, Row&& row,
                 Between&& between, std::size_t block = 2048) {
  for (std::size_t first = begin; first < end; first += block) {
    between(first);
    const std::size_t last = first + block < end ? first + block : end;
    State<Extended> done;
    if (RanClean(
            [&] {
              State<Extended> trial = state;
              for (std::size_t i = first; i < last; ++i) row(Extended{}, trial, i);
              done = trial;
            },
            done)) {
      state = done;
      continue;
    }
    State<Checked> checked = Rebind<Checked>(state);
    RunChecked([&] {
      for (std::size_t i = first; i < last; ++i) row(Checked{}, checked, i);
    });
    state = Rebind<Extended>(checked);
  }
}

template <template <class> class State, class Row>
void GuardedRows(std::size_t begin, std::size_t end, State<Extended>& state, Row&& row,
                 std::size_t block = 2048) {
  GuardedRows<State>(
      begin, end, state, row, [](std::size_t) {}, block);
}

}  // namespace tarvolen::fp
