// answer-page FOLDER [--language CODE]
//
// Shows the answer card on the simulated desktop, as the answer panel does, and writes the page
// its web view loads to FOLDER/Resources/index.html, beside copies of the page's web scripts from
// the application's resources (so "../Resources/<name>" resolves as it does from the resources
// folder). Prints "page <path>". Then reads a JSON array of Markdown answers from standard input,
// converts each to HTML as the panel does, hands it to the card, and prints one JSON array of
// {"html": the HTML handed over, "script": the script the web view was given to push it} (an empty
// answer pushes the placeholder of CODE, the stored interface language).

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "Platform/Core/Bundle.h"
#include "Platform/Desktop/Simulated/VirtualEnvironment.h"
#include "Platform/Desktop/WebView.h"
#include "Quellorin/Assistant/DetachedWebView.h"
#include "Quellorin/Services/TextHandlingService.h"
#include "UI/Host.h"
#include "tools/support/CommandLine.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  CLI::App app("Writes the answer page and the scripts that push answers into it.", "answer-page");
  std::string folder;
  std::string language;
  app.add_option("FOLDER", folder, "Where to write the page")->required();
  app.add_option("--language", language, "The stored interface language");
  if (const auto status = toolsupport::parseCommandLine(app, argc, argv)) return *status;
  try {
    platform::VirtualEnvironment environment;
    if (!language.empty()) environment.environment().userDefaults->setString("Language", language);
    auto card = std::make_shared<quellorin::DetachedWebView>("", 42);
    auto host = ui::Host::make(card, {360, ui::ColorScheme::light});
    auto webView = host->webView(card->id());

    const fs::path resources = fs::path(folder) / "Resources";
    fs::create_directories(resources);
    std::ofstream(resources / "index.html", std::ios::binary) << webView->host().htmlLoads().at(0).html;
    for (const char* name : {"highlight.min.js", "monokai.min.css", "mermaid.min.js"})
      fs::copy_file(platform::Bundle::main()->resourcePath() / name, resources / name,
                    fs::copy_options::overwrite_existing);
    std::cout << "page " << (resources / "index.html").string() << std::endl;

    const nlohmann::json answers = nlohmann::json::parse(std::cin);
    nlohmann::json scripts = nlohmann::json::array();
    for (const auto& answer : answers) {
      const std::string html = quellorin::TextHandlingService::markdownToHTML(answer.get<std::string>());
      card->setHTMLContent(html);
      const std::size_t before = webView->host().evaluatedScripts().size();
      host->render();
      scripts.push_back({{"html", html}, {"script", webView->host().evaluatedScripts().at(before)}});
    }
    std::cout << scripts.dump() << std::endl;
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "answer-page: " << error.what() << std::endl;
    return 1;
  }
}
