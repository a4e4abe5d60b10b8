#include "update/HttpResponseReader.h"

#include <algorithm>

#include "util/text.h"

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// The status of an "HTTP/1.1 200 OK" or "HTTP/1.0 404" line: its three
// characters after the version, nothing when the line is no status line.
std::optional<std::string_view> StatusOf(std::string_view line) {
  constexpr std::string_view kPrefix = "HTTP/1.";
  if (line.size() < kPrefix.size() + 5 || line.substr(0, kPrefix.size()) != kPrefix)
    return std::nullopt;
  line.remove_prefix(kPrefix.size());
  if (line[0] < '0' || line[0] > '9' || line[1] != ' ')
    return std::nullopt;
  line.remove_prefix(2);
  if (line.size() > 3 && line[3] != ' ' && line[3] != '\r')
    return std::nullopt;
  return line.substr(0, 3);
}

std::optional<uint64_t> ParseNumber(std::string_view text, int base) {
  // Announced lengths beyond this are no page of ours; the caller's byte
  // bound ends such an answer long before.
  constexpr uint64_t kLimit = uint64_t{1} << 40;
  if (text.empty())
    return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    if (digit < 0)
      return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > kLimit)
      return std::nullopt;
  }
  return value;
}

} // namespace

void THttpResponseReader::Feed(std::string_view bytes, std::string& body) {
  while (!bytes.empty()) {
    switch (state_) {
    case TState::Head:
      if (TakeLine(bytes))
        HeadLine(line_);
      break;
    case TState::Body:
      if (chunked_) {
        FeedChunked(bytes, body);
      } else if (remaining_) {
        const std::size_t take =
            static_cast<std::size_t>(std::min<uint64_t>(*remaining_, bytes.size()));
        body.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        *remaining_ -= take;
        if (*remaining_ == 0)
          state_ = TState::Complete;
      } else {
        body.append(bytes);
        bytes = {};
      }
      break;
    case TState::Complete:
    case TState::Failed:
      return; // what follows belongs to no page
    }
  }
}

bool THttpResponseReader::TakeLine(std::string_view& bytes) {
  if (!line_.empty() && line_.back() == '\n')
    line_.clear();
  const std::size_t lf = bytes.find('\n');
  const std::size_t take = lf == std::string_view::npos ? bytes.size() : lf + 1;
  line_.append(bytes.substr(0, take));
  bytes.remove_prefix(take);
  return lf != std::string_view::npos;
}

void THttpResponseReader::HeadLine(std::string_view line) {
  line = Trimmed(line.substr(0, line.size() - 1)); // without its LF (and CR)
  if (!statusRead_) {
    statusRead_ = true;
    const std::optional<std::string_view> status = StatusOf(line);
    if (!status)
      Fail(TFailure::NotHttp);
    else if (*status != "200")
      Fail(TFailure::NotOk);
    return;
  }
  if (line.empty()) {
    state_ = remaining_ && *remaining_ == 0 && !chunked_ ? TState::Complete : TState::Body;
    return;
  }
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) {
    Fail(TFailure::BadHeader);
    return;
  }
  HeaderField(Trimmed(line.substr(0, colon)), Trimmed(line.substr(colon + 1)));
}

void THttpResponseReader::Fail(TFailure failure) {
  state_ = TState::Failed;
  failure_ = failure;
}

void THttpResponseReader::HeaderField(std::string_view name, std::string_view value) {
  const std::string lowerName = LowerAscii(std::string(name));
  if (lowerName == "transfer-encoding") {
    chunked_ = LowerAscii(std::string(value)).find("chunked") != std::string::npos;
  } else if (lowerName == "content-length") {
    remaining_ = ParseNumber(value, 10);
    if (!remaining_)
      Fail(TFailure::BadHeader);
  }
}

void THttpResponseReader::FeedChunked(std::string_view& bytes, std::string& body) {
  if (chunkStep_ == TChunkStep::Data) {
    const std::size_t take =
        static_cast<std::size_t>(std::min<uint64_t>(remaining_.value_or(0), bytes.size()));
    body.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    *remaining_ -= take;
    if (*remaining_ == 0)
      chunkStep_ = TChunkStep::DataEnd;
    return;
  }
  if (TakeLine(bytes))
    ChunkLine(line_);
}

void THttpResponseReader::ChunkLine(std::string_view line) {
  line = Trimmed(line.substr(0, line.size() - 1));
  switch (chunkStep_) {
  case TChunkStep::Size: {
    // Chunk extensions after ";" carry nothing for us.
    remaining_ = ParseNumber(Trimmed(line.substr(0, line.find(';'))), 16);
    if (!remaining_)
      Fail(TFailure::BadChunk);
    else
      chunkStep_ = *remaining_ == 0 ? TChunkStep::Trailer : TChunkStep::Data;
    break;
  }
  case TChunkStep::DataEnd:
    if (!line.empty())
      Fail(TFailure::BadChunk);
    chunkStep_ = TChunkStep::Size;
    break;
  case TChunkStep::Trailer:
    if (line.empty())
      state_ = TState::Complete;
    break;
  case TChunkStep::Data:
    break;
  }
}
