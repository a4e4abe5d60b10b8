#include "update/UpdateReply.h"

#include <string>

namespace {

TUpdateFailure HttpFailure(THttpResponseReader::TFailure failure) {
  switch (failure) {
  case THttpResponseReader::TFailure::NotOk:
    return TUpdateFailure::NotOk;
  case THttpResponseReader::TFailure::BadHeader:
    return TUpdateFailure::BadHeader;
  case THttpResponseReader::TFailure::BadChunk:
    return TUpdateFailure::BadChunk;
  case THttpResponseReader::TFailure::None:
  case THttpResponseReader::TFailure::NotHttp:
    break;
  }
  return TUpdateFailure::NotAPage;
}

} // namespace

TUpdateReply::TUpdateReply(TDateTime lastCheck, std::size_t byteBound)
    : byteBound_(byteBound), page_(lastCheck) {
}

void TUpdateReply::Feed(std::string_view bytes) {
  if (outcome_)
    return;
  // Only the bytes within the bound are read: a page that ends inside it
  // still counts even when the server sends on.
  const bool overBound = bytes.size() > byteBound_ - received_;
  if (overBound)
    bytes = bytes.substr(0, byteBound_ - received_);
  received_ += bytes.size();
  std::string body;
  http_.Feed(bytes, body);
  if (http_.State() == THttpResponseReader::TState::Failed) {
    outcome_ = TUpdateOutcome{HttpFailure(http_.Failure()), {}};
    return;
  }
  page_.Feed(body);
  if (http_.State() == THttpResponseReader::TState::Complete)
    page_.End();
  TakePageState();
  if (!outcome_ && overBound)
    outcome_ = TUpdateOutcome{TUpdateFailure::TooLong, {}};
}

void TUpdateReply::End() {
  if (outcome_)
    return;
  if (http_.State() == THttpResponseReader::TState::Head) {
    outcome_ = TUpdateOutcome{TUpdateFailure::PageIncomplete, {}};
    return;
  }
  page_.End();
  TakePageState();
}

void TUpdateReply::TakePageState() {
  switch (page_.State()) {
  case TUpdatePageReader::TState::Reading:
    break;
  case TUpdatePageReader::TState::Succeeded:
    outcome_ = TUpdateOutcome{TUpdateFailure::None, page_.News()};
    break;
  case TUpdatePageReader::TState::Failed:
    outcome_ = TUpdateOutcome{page_.Failure(), {}};
    break;
  }
}
