#include "Quellorin/Shell/UpdaterDelegate.h"

#include "Quellorin/Shell/ServiceAddress.h"

namespace quellorin {

std::string UpdaterDelegate::feedURLStringForUpdater() const { return serviceBaseURL() + "/Appcast.xml"; }

}  // namespace quellorin
