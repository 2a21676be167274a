#pragma once

#include "export/dxf_class_layers.h"
#include "export/dxf_number.h"
#include "model/trace_store.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

class QIODevice;

namespace digitrace {

// One POINT entity at the tablet position (x, y), shifted so that (MinX, MinY) lands at (50, 30).
void WriteDxfPoint(QByteArray &out, const TraceStore &store, float x, float y);

// One LINE entity from slot first to slot second, shifted like the POINT.
void WriteDxfLine(QByteArray &out, const TraceStore &store, std::int16_t first,
                  std::int16_t second);

// Whether the shifted coordinates of every slot an entity writes fit single precision, as the
// file needs them to.
bool dxfCoordinatesFit(const TraceStore &store);

// The whole file: the template's lines, one entity per drawable slot, then the trailer. Every line
// ends in CR LF. A template line ends at CR, optionally followed by LF, and a lone LF is text of
// its line; a template with no CR at all (edited on a system that ends lines with LF alone) has its
// lines end at LF instead. Returns false, writing nothing, when a coordinate does not fit, and as
// soon as the device refuses a write; the rest is then not written.
[[nodiscard]] bool WriteDxf(const TraceStore &store, QByteArrayView templateBytes, QIODevice &out);

// The same with each classed feature's entities on its class's layer, drawn by the layer's colour
// and carrying the class and values as extended data, after `layers`' header; the features of no
// class keep the designed layers.
[[nodiscard]] bool WriteDxf(const TraceStore &store, const DxfClassLayers &layers, QIODevice &out);

} // namespace digitrace
