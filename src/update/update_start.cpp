#include "update/update_start.h"

#include "update/check_update.h"
#include "update/package_install.h"

void StartUpdateCheck(std::shared_ptr<PanelState> state, std::shared_ptr<PanelView> view,
                      const platform::Services& services) {
  auto context = std::make_shared<UpdateContext>();
  context->state = std::move(state);
  context->view = std::move(view);
  context->transport = services.transport;
  context->extractPackage = MakePackageExtractor(*services.archiveFiles);
  StartUpdateCheck(std::move(context));
}
