// What the panel's initialisation calls to begin the update.
#pragma once

#include <memory>

#include "core/panel_state.h"
#include "core/panel_view.h"
#include "platform/services.h"

// Marks the panel busy and starts the update check on a detached worker,
// using the bundle's transport and archive files (which must outlive it).
void StartUpdateCheck(std::shared_ptr<PanelState> state, std::shared_ptr<PanelView> view,
                      const platform::Services& services);
