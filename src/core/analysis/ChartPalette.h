// The colours of a chart's runs or machines, in order: twelve that stay
// apart from each other and from a white page (no pale tint), for the
// window and the report page alike. Any thread.
#pragma once

#include <array>
#include <cstddef>

namespace torvik {

inline constexpr std::array<const char*, 12> kChartColours = {
    "#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd", "#8c564b",
    "#e377c2", "#17becf", "#7f7f7f", "#bcbd22", "#393b79", "#637939"};

// The colour of the `index`th run of a chart ("#rrggbb").
inline const char* ChartColour(size_t index) { return kChartColours[index % kChartColours.size()]; }

}  // namespace torvik
