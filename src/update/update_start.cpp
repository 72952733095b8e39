#include "update/update_start.h"

std::shared_ptr<UpdateContext> MakeUpdateContext(std::shared_ptr<PanelState> state,
                                                 std::shared_ptr<PanelView> view,
                                                 const platform::Services& services) {
  auto context = std::make_shared<UpdateContext>();
  context->state = std::move(state);
  context->view = std::move(view);
  context->transport = services.transport;
  context->archiveFiles = services.archiveFiles;
  context->trace = services.trace;
  return context;
}
