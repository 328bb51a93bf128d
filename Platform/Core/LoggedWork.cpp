#include "Platform/Core/LoggedWork.h"

#include <exception>
#include <string>

#include "Platform/Core/Log.h"

namespace platform {

void performLogged(std::string_view subject, const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& error) {
    log("[error] " + std::string(subject) + " threw: " + error.what());
  } catch (...) {
    log("[error] " + std::string(subject) + " threw an unknown exception");
  }
}

}  // namespace platform
