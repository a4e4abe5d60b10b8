#pragma once

#include <string>

// A small file that names the plug-in being loaded while its code runs
// (constructors, Init), so that the next start can tell which one took the
// process down. While it is in place, a stop signal (SIGTERM, SIGINT,
// SIGHUP) ends the process at once, also when the front end blocks or
// catches them: a plug-in that never returns must not make the program
// unkillable. Such a stop removes the marker first, as it is no crash.
class TLoadingMarker {
public:
  // Writes `markerPath` naming `pluginPath`.
  TLoadingMarker(const std::string& markerPath, const std::string& pluginPath);
  // Removes the marker and puts the signal handling back.
  ~TLoadingMarker();
  TLoadingMarker(const TLoadingMarker&) = delete;
  TLoadingMarker& operator=(const TLoadingMarker&) = delete;

  // The plug-in a marker names when the process that wrote it is gone (a
  // crash); "" when there is none or its writer still runs.
  static std::string Leftover(const std::string& markerPath);
};
