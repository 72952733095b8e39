// The update check: fetches the remote manifest, compares it with the
// installed one and either clears the busy flag or starts the package worker.
#pragma once

#include <memory>

#include "update/update_context.h"

// The worker's body; always returns 0.
unsigned CheckUpdateThreadProc(std::shared_ptr<const UpdateContext> context);

// Marks the panel busy and runs the check on a detached worker. Called once
// by the panel's initialisation, after the configuration has been adopted.
void StartUpdateCheck(std::shared_ptr<const UpdateContext> context);
