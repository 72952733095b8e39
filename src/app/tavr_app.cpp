#include "app/tavr_app.h"

#include <optional>

#include "browser/login_config_check.h"
#include "core/client_root.h"
#include "core/config_path.h"
#include "files/directory_path.h"
#include "files/launcher_config.h"
#include "platform/environment.h"
#include "platform/folder_locks.h"
#include "platform/message_box.h"
#include "platform/window_system.h"
#include "ui/main_view_bg.h"

bool CTavrApp::InitInstance(const platform::Services& services) {
  std::wstring configPath = ConfigFilePath(services.environment->ExecutablePath());
  // A file that exists but cannot serve is reported here too: the panel
  // needs all three values, and a login address that every page contains
  // would make every navigation a login.
  ConfigProblem problem = CheckLoginAddress(ReadLauncherConfig(configPath));
  if (problem != ConfigProblem::None) {
    services.windows->Messages().Show({ConfigProblemMessage(problem), L"提示",
                                       platform::MessageButtons::Ok,
                                       platform::MessageIcon::Warning});
    return false;
  }
  // A second launcher on the same client folder hands over to the first one
  // and ends before it touches anything; so does one that cannot take the
  // lock, which would otherwise update beside another unseen.
  if (auto microDir = ClientRoot::DirectoryBeside(services.environment->ExecutablePath())) {
    CreateDirectoryPath(*microDir);
    std::optional<ClientRoot> root = ClientRoot::At(*microDir);
    platform::FolderClaim claim =
        root ? services.folderLocks->Claim(root->LockFile()) : platform::FolderClaim::Held;
    if (claim == platform::FolderClaim::Unusable) {
      services.windows->Messages().Show(
          {L"客户端目录的锁文件（launcher.lock）无法使用，请删除后重试", L"提示",
           platform::MessageButtons::Ok, platform::MessageIcon::Warning});
    }
    if (claim != platform::FolderClaim::Held) return false;
  }
  MainViewBg background(services);
  background.DoModal();
  return false;
}
