// Fixed-size tables whose every access checks its index: an index outside the
// bounds is a programming error and throws std::out_of_range.
#pragma once

#include <array>
#include <stdexcept>
#include <string>

namespace qvx {

[[noreturn]] void throwIndexError(const char* what, long index, long bound);

template <typename T, int N>
class Table1 {
public:
    static constexpr int size() { return N; }
    T& operator()(int i) { return v_[check(i)]; }
    const T& operator()(int i) const { return v_[check(i)]; }
    void fill(const T& value) { v_.fill(value); }
    auto begin() { return v_.begin(); }
    auto end() { return v_.end(); }
    auto begin() const { return v_.begin(); }
    auto end() const { return v_.end(); }
    bool operator==(const Table1&) const = default;

private:
    static std::size_t check(int i) {
        if (i < 0 || i >= N) throwIndexError("index", i, N);
        return static_cast<std::size_t>(i);
    }
    std::array<T, N> v_{};
};

template <typename T, int R, int C>
class Table2 {
public:
    static constexpr int rows() { return R; }
    static constexpr int columns() { return C; }
    T& operator()(int r, int c) { return v_[check(r, c)]; }
    const T& operator()(int r, int c) const { return v_[check(r, c)]; }
    void fill(const T& value) { v_.fill(value); }
    bool operator==(const Table2&) const = default;

private:
    static std::size_t check(int r, int c) {
        if (r < 0 || r >= R) throwIndexError("row", r, R);
        if (c < 0 || c >= C) throwIndexError("column", c, C);
        return static_cast<std::size_t>(r) * C + static_cast<std::size_t>(c);
    }
    std::array<T, static_cast<std::size_t>(R) * C> v_{};
};

}  // namespace qvx
