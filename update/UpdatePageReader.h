#pragma once

#include <string>
#include <string_view>

#include "update/UpdateOutcome.h"
#include "util/datetime.h"

// Reads the update page's body line by line as it arrives (LF or CR LF): the
// lines up to the one holding "<html>" and those up to the version marker are
// skipped; then come the news, newest first, up to the first line holding
// "</" or the first dated entry not later than the last check.
class TUpdatePageReader {
public:
  enum class TState { Reading, Succeeded, Failed };

  explicit TUpdatePageReader(TDateTime lastCheck);

  void Feed(std::string_view bytes);
  // The body ended: a last line without a line end still counts; a page
  // whose news have not ended by then fails.
  void End();

  TState State() const { return state_; }
  TUpdateFailure Failure() const { return failure_; }
  // The new entries' lines, each ended by LF.
  const std::string& News() const { return news_; }

private:
  enum class TPart { BeforeHtml, BeforeVersion, News };

  void Line(const std::string& line);
  void NewsLine(const std::string& line);
  void Fail(TUpdateFailure failure);

  TDateTime lastCheck_;
  TState state_ = TState::Reading;
  TUpdateFailure failure_ = TUpdateFailure::None;
  TPart part_ = TPart::BeforeHtml;
  std::string line_;
  std::string news_;
};
