#include "core/panel_state.h"

#include "files/directory_path.h"
#include "files/path_join.h"
#include "platform/environment.h"

PanelState::PanelState(const platform::Environment& environment) {
  std::wstring directory = DirectoryOf(environment.ExecutablePath());
  if (auto microDir = JoinPath(directory, L"micro\\")) {
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
