// A table computed on its first use instead of stored in the program file. The library is
// carried by every package, and its large tables (the 16 KB ASCII literal decode table, the
// 8 KB of CRC-32 tables, the 2 KB length code table) would be most of its size; computing them
// takes microseconds. Safe for concurrent first calls; afterwards one atomic load per use.
// Needs nothing of the C++ runtime (no guarded statics), so it serves the library built
// without it.
//
// Define each one at namespace scope in a source file, with internal linkage: it is then
// constant-initialised into zeroed memory that takes no room in the file. (MinGW's GCC places
// a static inside an inline or template function in initialised data, bytes and all.)
#ifndef VELUMAR_IMPLODE_BUILT_ONCE_H
#define VELUMAR_IMPLODE_BUILT_ONCE_H

#include <atomic>

namespace velumar::implode::detail {

template <typename Table, void (*Fill)(Table&)>
class BuiltOnce {
  public:
    constexpr BuiltOnce() noexcept = default;
    BuiltOnce(const BuiltOnce&) = delete;
    BuiltOnce& operator=(const BuiltOnce&) = delete;

    const Table& get() noexcept {
        if (state_.load(std::memory_order_acquire) != kReady) fill();
        return table_;
    }

    // The table without the check, for a loop that called get() before it started.
    const Table& filled() const noexcept { return table_; }

  private:
    enum : int { kEmpty, kFilling, kReady };

    [[gnu::noinline, gnu::cold]] void fill() noexcept {
        int expected = kEmpty;
        if (state_.compare_exchange_strong(expected, kFilling, std::memory_order_acq_rel)) {
            Fill(table_);
            state_.store(kReady, std::memory_order_release);
            return;
        }
        // Another thread is filling it; that takes microseconds.
        while (state_.load(std::memory_order_acquire) != kReady) {
        }
    }

    Table table_{};
    std::atomic<int> state_{kEmpty};
};

}  // namespace velumar::implode::detail

#endif
