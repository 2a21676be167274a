#pragma once

#include "model/trace_store.h"

#include <cstdint>
#include <initializer_list>

namespace digitrace {

struct TestRecord {
    float code, x, y;
};

struct TestView {
    float cx, cy, zoom, halfW, halfH;
};

inline void setView(TraceStore &store, const TestView &view) {
    store.ViewCx = view.cx;
    store.ViewCy = view.cy;
    store.ViewZoom = view.zoom;
    store.HalfW = view.halfW;
    store.HalfH = view.halfH;
}

inline void appendRecord(TraceStore &store, const TestRecord &record) {
    const auto slot = std::size_t(store.PtCount);
    store.Pt.Code[slot] = record.code;
    store.Pt.X[slot] = record.x;
    store.Pt.Y[slot] = record.y;
    ++store.PtCount;
}

inline void loadTrace(TraceStore &store, std::initializer_list<TestRecord> records,
                      const TestView &view) {
    store.PtCount = 0;
    ++store.epoch;
    for (const TestRecord &r : records)
        appendRecord(store, r);
    setView(store, view);
}

} // namespace digitrace
