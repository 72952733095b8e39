// Start-up refusal of configurations whose login address would make every
// navigation a login: the launcher would bounce back to its start page for
// ever during an update, or launch the client at once otherwise.
#pragma once

#include "files/launcher_config.h"

// The configuration's own problem if it has one; otherwise EmptyLoginUrl or
// LoginUrlInNestedPage when the login address is empty or occurs in the
// start page's address; otherwise None.
ConfigProblem CheckLoginAddress(const LauncherConfig& config);
