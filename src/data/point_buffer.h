#pragma once
// The points of one series, indexed 1 .. room as the fetch and drawing code count them
// (element 0 unused). Every index up to the room reads as it would from an array of that
// size, but only the points written so far take memory: a graph slot that holds no graph,
// the pages kept free for adding, and the unused end of a window cost nothing. A setup
// of many pages of one graph each would otherwise hold every slot's full room (unit
// values for 25 slots a page) whether it is used or not.
#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <vector>

#include "core/color.h"

namespace tidemark {

struct SeriesPoint {
    double time = 0;  // day number (or a duration in minutes for depth-duration graphs)
    double value = kMissing;
};

class PointBuffer {
public:
    // Room for indices 1 .. room, every point (0, -9999); nothing is allocated yet.
    void Reset(int room) {
        room_ = std::max(room, 0);
        stored_.clear();
        stored_.shrink_to_fit();
        filledTo_ = 0;
        filled_ = SeriesPoint{};
    }

    // Highest usable index (0 when there is no room).
    int Room() const { return room_; }

    // The point at index i (0 .. room); one never written reads as (0, -9999), or with
    // the value of the last Fill that reached it.
    const SeriesPoint& operator[](size_t i) const {
        if (i < stored_.size()) return stored_[i];
        CheckIndex(i);
        return i <= filledTo_ ? filled_ : blank_;
    }

    // The point at index i for writing; the buffer grows to it.
    SeriesPoint& operator[](size_t i) {
        if (i >= stored_.size()) Grow(i);
        return stored_[i];
    }

    // The value of every point 1 .. last becomes `value`; their times stay as they are.
    void Fill(int last, double value) {
        size_t to = static_cast<size_t>(std::clamp(last, 0, room_));
        // Points beyond `to` that an earlier, longer fill reached keep its value: they
        // are written out before the fill is narrowed.
        if (to < filledTo_ && filled_.value != value) (*this)[filledTo_];
        for (size_t k = 1; k <= to && k < stored_.size(); ++k) stored_[k].value = value;
        filledTo_ = to;
        filled_ = SeriesPoint{0, value};
    }

private:
    // A fetch writes its points one after the other: the first write reserves the room
    // (up to a bound), which a large allocation takes only as address space, so the
    // points are neither value-initialised twice nor copied as the vector doubles.
    void Grow(size_t i) {
        CheckIndex(i);
        if (stored_.capacity() == 0) stored_.reserve(std::min(static_cast<size_t>(room_) + 1, kFirstReserve));
        for (size_t k = stored_.size(); k <= i; ++k) stored_.push_back(k <= filledTo_ ? filled_ : blank_);
    }

    void CheckIndex(size_t i) const {
        if (i > static_cast<size_t>(room_)) throw std::out_of_range("Subscript out of range: point index");
    }

    int room_ = 0;
    std::vector<SeriesPoint> stored_;  // indices 0 .. size - 1 as written
    size_t filledTo_ = 0;              // indices 1 .. filledTo_ beyond stored_ read as filled_
    SeriesPoint filled_{};
    static constexpr SeriesPoint blank_{};
    static constexpr size_t kFirstReserve = size_t{1} << 17;  // 2 MiB of points
};

}  // namespace tidemark
