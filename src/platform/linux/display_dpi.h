#pragma once

namespace platform {

// The resolution GDK reports for the default screen (Xft.dpi); 96 when no
// display is open or it reports none.
int DisplayDpi();

}  // namespace platform
