#pragma once

#include <functional>
#include <string>

#include "config/LngFile.h"

// Message texts by key from the "Project_Messages" section of the language
// file, with the built-in English text as fallback. Nothing is ever written
// into the file for messages.
class TMsgINISupp {
public:
  // Shows a notice to the user; the shell sets it, the core only calls it.
  using Notice = std::function<void(const std::string&)>;

  void SetNotice(Notice notice) { notice_ = std::move(notice); }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& fileName);
  // The language file of the windows; taken again whenever an open finds no
  // file name of its own.
  void SetLinkedFileName(std::function<std::string()> linked);
  bool Opened() const { return opened_; }

  // Reads the file. Without a file name the user is told once, and messages
  // keep their built-in texts until the next Close.
  void Open();
  void Close();
  std::string Lookup(const std::string& key, const std::string& builtIn);

private:
  std::string fileName_;
  std::function<std::string()> linked_;
  Notice notice_;
  bool opened_ = false;
  std::optional<TLngFile> file_;
};

// A message text: a double quote and the seven characters after it stand for
// a line break, and whatever follows the last marker stands for one line break
// per started group of seven characters.
std::string ExpandLineBreakMarkers(const std::string& text);

// The program's one message component.
TMsgINISupp& MIS();

// Every user-visible message goes through here with its key and built-in
// English text.
std::string Lookup(const std::string& key, const std::string& builtIn);
