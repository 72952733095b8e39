#pragma once

#include <optional>

namespace platform {

// The resolution GDK reports for the default screen (Xft.dpi); none when no
// display is open or it reports none.
std::optional<int> DisplayDpi();

}  // namespace platform
