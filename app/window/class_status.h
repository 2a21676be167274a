#pragma once

#include <QString>

namespace digitrace {

class FeatureClasses;
struct TraceStore;

// The status line's word on classes: the open feature's class, or the class the next feature
// takes, with the value of its stepped field.
QString classStatusText(const FeatureClasses &classes, const TraceStore &store);

} // namespace digitrace
