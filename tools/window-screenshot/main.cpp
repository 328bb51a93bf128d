// window-screenshot PAGE.html OUT.png [WIDTH HEIGHT]
//
// Screenshots a page written by ui::renderHTML or ui::renderMenuHTML with headless Chromium into
// a PNG, at WIDTH by HEIGHT points (480 by 320 unless given).

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "UI/Screenshot.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::cerr << "usage: window-screenshot PAGE.html OUT.png [WIDTH HEIGHT]\n";
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::cerr << "window-screenshot: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::stringstream html;
  html << file.rdbuf();
  ui::ScreenshotOptions options;
  try {
    if (argc == 5) {
      options.width = std::stoi(argv[3]);
      options.height = std::stoi(argv[4]);
    }
  } catch (const std::exception&) {
    std::cerr << "window-screenshot: WIDTH and HEIGHT are whole numbers\n";
    return 2;
  }
  if (!ui::screenshotHTML(html.str(), argv[2], options)) {
    std::cerr << "window-screenshot: the browser wrote no screenshot\n";
    return 1;
  }
  return 0;
}
