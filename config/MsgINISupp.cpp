#include "config/MsgINISupp.h"

#include <utility>

namespace {

const char kMessagesSection[] = "Project_Messages";
const std::size_t kMarkerTail = 7; // characters after the quote of a marker

// Bytes taken by the first `count` characters of a UTF-8 text, from `start`.
std::size_t CharacterBytes(const std::string& text, std::size_t start, std::size_t count) {
  std::size_t end = start;
  for (std::size_t taken = 0; taken < count && end < text.size(); ++taken) {
    ++end;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
      ++end;
  }
  return end - start;
}

} // namespace

std::string ExpandLineBreakMarkers(const std::string& text) {
  if (text.find('"') == std::string::npos)
    return text;
  std::string result;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t quote = text.find('"', at);
    if (quote == std::string::npos) {
      result += '\n';
      at += CharacterBytes(text, at, kMarkerTail);
      continue;
    }
    result.append(text, at, quote - at);
    result += '\n';
    at = quote + 1 + CharacterBytes(text, quote + 1, kMarkerTail);
  }
  return result;
}

void TMsgINISupp::SetFileName(const std::string& fileName) {
  fileName_ = fileName;
}

void TMsgINISupp::SetLinkedFileName(std::function<std::string()> linked) {
  linked_ = std::move(linked);
  if (linked_)
    fileName_ = linked_();
}

void TMsgINISupp::Open() {
  if (fileName_.empty() && linked_)
    fileName_ = linked_();
  if (fileName_.empty()) {
    // Told once; until the next Close every message keeps its English text,
    // rather than each lookup repeating the notice and losing its message.
    file_.reset();
    opened_ = true;
    if (notice_)
      notice_("ERROR!!!\nFile not preset!");
    return;
  }
  file_.emplace(fileName_);
  // Opened before the notice: its box looks up its own buttons.
  opened_ = true;
  if (!file_->Exists() && notice_)
    notice_("WARNING!!!\n Language File Not Found! Its now creating a new!");
}

void TMsgINISupp::Close() {
  fileName_.clear();
  file_.reset();
  opened_ = false;
}

std::string TMsgINISupp::Lookup(const std::string& key, const std::string& builtIn) {
  if (!opened_)
    Open();
  if (!file_)
    return builtIn; // no file name: the caller goes on with the English text
  return ExpandLineBreakMarkers(file_->Read(kMessagesSection, key, builtIn));
}

TMsgINISupp& MIS() {
  static TMsgINISupp instance;
  return instance;
}

std::string Lookup(const std::string& key, const std::string& builtIn) {
  return MIS().Lookup(key, builtIn);
}
