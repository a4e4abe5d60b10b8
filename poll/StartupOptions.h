#pragma once

#include <exception>
#include <functional>
#include <string>

class IGameIcons;

// What a front end adds to the monitor's start-up. Start-up goes on after
// every problem it reports; a callback left empty skips its step.
struct TStartupOptions {
  // Turns the icon files of the settings into images; none on the console.
  IGameIcons* Icons = nullptr;
  // Reads the front end's own keys (the window layout) inside the settings
  // bracket, after the game registry and before the lists.
  std::function<void()> ReadFrontEndSettings;
  // Applies the chosen language file, right after the program settings are
  // read, so that every later message is in that language.
  std::function<void()> ApplyLanguage;
  // The settings could not be read or written.
  std::function<void(const std::exception&)> LoadFailed;
  // A plug-in's Init failed; the message names the file.
  std::function<void(const std::string&)> PluginFailed;
  // The start-up line of the stats log could not be written.
  std::function<void(const std::exception&)> LogFailed;
};
