// Playing times as clock text: the one formatter behind the window's columns, the session view's
// axis and z2o-inspect's totals.
#pragma once

#include <cstdint>
#include <string>

namespace z2o {

enum class Hours { WhenNeeded, Always };

// "M:SS.t", or "H:MM:SS.t" from an hour on (always with `Hours::Always`); without the tenths when
// `withTenths` is false. A negative time gets a leading "-".
std::string clockText(std::int64_t tenths, bool withTenths = true, Hours hours = Hours::WhenNeeded);

}  // namespace z2o
