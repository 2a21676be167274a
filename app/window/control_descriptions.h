#pragma once

namespace digitrace {

struct TraceControls;

// What each control of the toolbar strip is for: shown as its tooltip, and read out by a screen
// reader instead of "button" or the bare number a label shows.
void describeControls(const TraceControls &ui);

} // namespace digitrace
