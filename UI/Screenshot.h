#pragma once

#include <filesystem>
#include <string>

namespace ui {

struct ScreenshotOptions {
  int width = 480;  // the browser window, in CSS pixels (points)
  int height = 320;
  int timeoutSeconds = 60;     // a browser that has not finished by then is stopped
  int settleMilliseconds = 0;  // page time given to timers and scripts before the shot (0: none)
};

// Writes `html` (a page of renderHTML or renderMenuHTML) to a fresh temporary folder and has
// headless Chromium (/usr/bin/chromium, or $QUELLORIN_CHROMIUM) screenshot it into `png`. The
// browser gets a fresh profile in that folder, no network services, and no sandbox. Answers
// whether the PNG was written; the folder is removed either way. Blocks while the browser runs.
bool screenshotHTML(const std::string& html, const std::filesystem::path& png,
                    const ScreenshotOptions& options);

}  // namespace ui
