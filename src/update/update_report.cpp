#include "update/update_report.h"

void FinishUpdate(const UpdateContext& context, UpdateOutcome outcome) {
  if (context.onFinished) context.onFinished(outcome);
}

void ShowStatus(const UpdateContext& context, const wchar_t* text) {
  context.state->m_bRedrawPending = true;
  context.view->SetStatusText(text);
  context.view->Invalidate();
}

void ShowProgressStrip(const UpdateContext& context, bool show) {
  context.view->ShowProgressStrip(show);
  context.state->m_bShowProgress = show;
  context.view->Invalidate();
}

void ReportUpdateFailure(const UpdateContext& context, const wchar_t* text, UpdateOutcome outcome) {
  ShowProgressStrip(context, false);
  ShowStatus(context, text);
  FinishUpdate(context, outcome);
}
