#pragma once

#include <functional>
#include <memory>

#include "UI/Binding.h"
#include "UI/Node.h"

namespace quellorin::settings_access {

// Opens the settings when called from code. From system 14 on it works through a hidden
// settings link that OpenSettingsInjectionView places behind its content: the link hands its
// trigger to `closureBinding`, which stores it in `closure`. Before 14 `closure` opens the
// settings by selector from the start.
//
// Made with make(); the binding holds the action weakly, so once the action is gone the binding
// reads none and ignores writes. Main thread only.
class OpenSettingsAccessAction : public ui::ObservableObject,
                                 public std::enable_shared_from_this<OpenSettingsAccessAction> {
 public:
  static std::shared_ptr<OpenSettingsAccessAction> make();

  // The process-wide default action, made once on first use (safe under concurrent first use).
  static std::shared_ptr<OpenSettingsAccessAction> shared();

  // May throw; called by operator().
  std::function<void()> closure;
  // Reads a non-throwing wrapper of `closure` (errors dropped), or none; writing a callback
  // makes `closure` call it, writing none clears it.
  ui::Binding<std::function<void()>> closureBinding = ui::Binding<std::function<void()>>::constant(nullptr);

  // Opens the settings. Throws OpenSettingsFailure: settingsLinkNotConnected before a hidden
  // link connected, or the case of the selector road's failure of the same name; any other
  // exception of `closure` passes unchanged.
  void operator()() const;

 private:
  OpenSettingsAccessAction() = default;
};

}  // namespace quellorin::settings_access
