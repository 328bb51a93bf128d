#pragma once

#include <filesystem>

namespace platform {

// Where the application keeps its files. Every path is decided by the environment
// (HOME and the XDG variables) at the moment of the call, so tests that point HOME at a
// temporary folder get temporary paths. None of these create the folder.

// $HOME, or the password database's home folder when HOME is unset.
std::filesystem::path homeDirectory();

// $XDG_CONFIG_HOME when set to an absolute path, else $HOME/.config.
std::filesystem::path configDirectory();

// The application's own configuration folder: configDirectory()/quellorin.
std::filesystem::path applicationConfigDirectory();

// $XDG_DOCUMENTS_DIR when set to an absolute path, else $HOME/Documents.
std::filesystem::path documentsDirectory();

}  // namespace platform
