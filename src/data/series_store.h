#pragma once
// The fetched series of every graph slot of every page. Indices of points and daily
// points start at 1, as the fetch and drawing code count them; element 0 is unused.
#include <cstdint>
#include <string>
#include <vector>

#include "core/color.h"
#include "data/point_buffer.h"
#include "setup/setup_model.h"

namespace tidemark {

struct SlotSeries {
    PointBuffer points;       // 1 .. point room
    PointBuffer dailyPoints;  // 1 .. span + 2
    int16_t pointCount = 0;
    double lastRowTime = 0;
    double currentValue = 0;
    double currentTime = 0;
    std::string modelErrorText;  // mean-absolute-error text of model comparison graphs

    // Highest usable index of points / dailyPoints.
    int PointRoom() const { return points.Room(); }
    int DailyRoom() const { return dailyPoints.Room(); }
};

// Points a fetch initialises per series: 28 a day (hourly values, fillers and the daily
// maxima and minima fit), or 13 an hour when unit values are plotted.
inline int PointCapacityFor(int span, bool plotunitvalues) { return (span + 1) * (plotunitvalues ? 24 * 13 : 28); }

// Points allocated per series: depth-duration graphs read unit values whatever the
// setting, so with a frequency table every series gets room for unit values.
inline int PointRoomFor(int span, bool plotunitvalues, bool frequencyTableLoaded) {
    return frequencyTableLoaded ? (span + 1) * 24 * 13 : PointCapacityFor(span, plotunitvalues);
}

class SeriesStore {
public:
    // Sizes the store for pages 0 .. pageRoom, every slot with room for `pointRoom` points
    // and `dailyRoom` daily points (memory is taken only as points are written).
    // `pointCapacity` is how many points a fetch initialises (it can be smaller than the
    // room when a frequency table is loaded).
    void Size(int pageRoom, int pointRoom, int dailyRoom, int pointCapacity) {
        pointCapacity_ = pointCapacity;
        pages_.assign(static_cast<size_t>(pageRoom) + 1, std::vector<SlotSeries>(kSlotsPerPage));
        for (auto& page : pages_)
            for (auto& slot : page) {
                slot.points.Reset(pointRoom);
                slot.dailyPoints.Reset(dailyRoom);
            }
    }

    // Sizes the store for a load's window of `span` days.
    void SizeForWindow(int pageRoom, int span, bool plotunitvalues, bool frequencyTableLoaded) {
        int capacity = span < 0 ? 0 : PointCapacityFor(span, plotunitvalues);
        int room = span < 0 ? 0 : PointRoomFor(span, plotunitvalues, frequencyTableLoaded);
        Size(pageRoom, room, span < 0 ? 0 : span + 2, capacity);
    }

    bool Has(int page, int slot) const {
        return page >= 0 && page < static_cast<int>(pages_.size()) && slot >= 0 && slot < kSlotsPerPage;
    }
    SlotSeries& At(int page, int slot) { return pages_.at(static_cast<size_t>(page)).at(static_cast<size_t>(slot)); }
    const SlotSeries& At(int page, int slot) const {
        return pages_.at(static_cast<size_t>(page)).at(static_cast<size_t>(slot));
    }

    int PointCapacity() const { return pointCapacity_; }

private:
    std::vector<std::vector<SlotSeries>> pages_;
    int pointCapacity_ = 0;
};

}  // namespace tidemark
