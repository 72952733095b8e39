// What the panel's initialisation calls to begin the update.
#pragma once

#include <memory>

#include "platform/services.h"
#include "ui/panel_state.h"
#include "ui/panel_view.h"

// Marks the panel busy and starts the update check on a detached worker,
// using the bundle's transport and archive files (which must outlive it).
void StartUpdateCheck(std::shared_ptr<PanelState> state, std::shared_ptr<PanelView> view,
                      const platform::Services& services);
