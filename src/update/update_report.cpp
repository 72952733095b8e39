#include "update/update_report.h"

void FinishUpdate(const UpdateContext& context, UpdateOutcome outcome) {
  if (context.onFinished) context.onFinished(outcome);
}

void ShowStatus(const UpdateContext& context, const wchar_t* text) {
  context.state->m_bRedrawPending = true;
  context.view->SetStatusText(text);
  context.view->Invalidate();
}

void ReportUpdateFailure(const UpdateContext& context, const wchar_t* text, UpdateOutcome outcome) {
  context.view->ShowProgressStrip(false);
  context.state->m_bShowProgress = false;
  ShowStatus(context, text);
  FinishUpdate(context, outcome);
}
