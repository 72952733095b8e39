#include "core/panel_state.h"

#include "core/client_root.h"
#include "files/directory_path.h"
#include "platform/environment.h"

PanelState::PanelState(const platform::Environment& environment) {
  if (auto microDir = ClientRoot::DirectoryBeside(environment.ExecutablePath())) {
    // The wide path is used as it is: converting it to the ANSI code page
    // first would lose characters that code page cannot hold.
    CreateDirectoryPath(*microDir);
    m_strMicroDir = std::move(*microDir);
  }
}

void PanelState::AdoptConfig(LauncherConfig&& newConfig) {
  config = std::move(newConfig);
  m_verUrl = config.verUrl;
  m_nestedPage = config.nestedPage;
  m_loginUrl = config.loginUrl;
}
