#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "update/HttpResponseReader.h"
#include "update/UpdateOutcome.h"
#include "update/UpdatePageReader.h"

// The web server's whole answer to one update request, fed as it arrives.
// The outcome is known as soon as the news have ended, the answer turns out
// to be no update page, or it grows past the byte bound.
class TUpdateReply {
public:
  static constexpr std::size_t kDefaultByteBound = 256 * 1024;

  explicit TUpdateReply(TDateTime lastCheck, std::size_t byteBound = kDefaultByteBound);

  void Feed(std::string_view bytes);
  // The server closed the connection.
  void End();
  // Set once the answer has decided the check.
  const std::optional<TUpdateOutcome>& Outcome() const { return outcome_; }

private:
  void TakePageState();

  std::size_t byteBound_;
  std::size_t received_ = 0;
  THttpResponseReader http_;
  TUpdatePageReader page_;
  std::optional<TUpdateOutcome> outcome_;
};
