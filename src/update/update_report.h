// How the workers end a run and tell the panel.
#pragma once

#include "update/update_context.h"

void FinishUpdate(const UpdateContext& context, UpdateOutcome outcome);

// Hides the progress strip, puts `text` on the status line and repaints;
// m_bUpdating stays set, so the game cannot be started on a broken client.
void ReportUpdateFailure(const UpdateContext& context, const wchar_t* text, UpdateOutcome outcome);

// Shows or hides the progress bar and asks for the repaint that does it.
void ShowProgressStrip(const UpdateContext& context, bool show);

// Puts `text` on the status line and asks for the repaint that shows it.
void ShowStatus(const UpdateContext& context, const wchar_t* text);
