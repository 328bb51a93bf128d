#include "Quellorin/Shell/UpdaterDelegate.h"

#include "Quellorin/Common/ServiceAddress.h"

namespace quellorin {

std::string UpdaterDelegate::feedURLStringForUpdater() const { return serviceBaseURL() + "/Appcast.xml"; }

}  // namespace quellorin
