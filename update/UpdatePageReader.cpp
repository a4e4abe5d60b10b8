#include "update/UpdatePageReader.h"

#include "update/NewsDate.h"
#include "util/text.h"

TUpdatePageReader::TUpdatePageReader(TDateTime lastCheck) : lastCheck_(lastCheck) {
}

void TUpdatePageReader::Feed(std::string_view bytes) {
  while (!bytes.empty() && state_ == TState::Reading) {
    const std::size_t lf = bytes.find('\n');
    if (lf == std::string_view::npos) {
      line_.append(bytes);
      return;
    }
    line_.append(bytes.substr(0, lf));
    bytes.remove_prefix(lf + 1);
    if (!line_.empty() && line_.back() == '\r')
      line_.pop_back();
    Line(line_);
    line_.clear();
  }
}

void TUpdatePageReader::End() {
  if (state_ != TState::Reading)
    return;
  if (!line_.empty()) {
    if (line_.back() == '\r')
      line_.pop_back();
    Line(line_);
    line_.clear();
  }
  if (state_ == TState::Reading)
    Fail(TUpdateFailure::PageIncomplete);
}

void TUpdatePageReader::Line(const std::string& line) {
  switch (part_) {
  case TPart::BeforeHtml:
    if (LowerAscii(line).find("<html>") != std::string::npos)
      part_ = TPart::BeforeVersion;
    break;
  case TPart::BeforeVersion:
    if (line.find("Current Skarvel version: ") != std::string::npos)
      part_ = TPart::News;
    break;
  case TPart::News:
    NewsLine(line);
    break;
  }
}

void TUpdatePageReader::NewsLine(const std::string& line) {
  if (line.find("</") != std::string::npos) {
    state_ = TState::Succeeded;
    return;
  }
  if (!line.empty() && line[0] >= '0' && line[0] <= '9') {
    const auto date = ReadNewsDate(line);
    if (!date) {
      Fail(TUpdateFailure::BadDate);
      return;
    }
    if (*date <= lastCheck_) {
      state_ = TState::Succeeded;
      return;
    }
  }
  news_ += line;
  news_ += '\n';
}

void TUpdatePageReader::Fail(TUpdateFailure failure) {
  state_ = TState::Failed;
  failure_ = failure;
  news_.clear();
}
