#pragma once
// The installed product finds its restart program.
//
// An installation (the Debian package, or `cmake --install --prefix PREFIX`) puts the programs
// in PREFIX/bin and the restart program in PREFIX/libexec/annalex/System/VmRestart.exe. The
// error report form wants one folder, "Installed", that holds both its "Error Logs", which the
// user writes, and "System/VmRestart.exe". So when "Installed" (HKCU Software\Velmora\Defaults)
// is not set and the program runs from such an installation, the user's data folder
// ($XDG_DATA_HOME/annalex, else ~/.local/share/annalex) becomes that folder: it gets an
// "Error Logs" folder and a link "System" to the installation's folder, and "Installed" names it
// ("ApplicationDir" too, when not set). A set "Installed", or a program that runs from a build
// tree, is left alone.

#include <filesystem>
#include <optional>

namespace annalex::wizard {

// program: the running program's own path. The folder set up, if one was.
std::optional<std::filesystem::path> adoptInstalledLayout(const std::filesystem::path& program);

}  // namespace annalex::wizard
