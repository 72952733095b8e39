// The one way the update is put together, for the launcher and the tests
// alike.
#pragma once

#include <memory>

#include "core/panel_state.h"
#include "core/panel_view.h"
#include "platform/services.h"
#include "update/update_context.h"

// The update of the panel whose state and window are given, with the
// bundle's transport, archive files and trace (which must outlive it).
std::shared_ptr<UpdateContext> MakeUpdateContext(std::shared_ptr<PanelState> state,
                                                 std::shared_ptr<PanelView> view,
                                                 const platform::Services& services);
