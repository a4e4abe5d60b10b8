#pragma once

#include <clocale>
#include <string>

// Switches the whole C locale for one scope; active() is false when the
// locale is not installed.
class ScopedLocale {
public:
  explicit ScopedLocale(const char* name) : saved_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;
  bool active() const { return active_; }

private:
  std::string saved_;
  bool active_ = false;
};
