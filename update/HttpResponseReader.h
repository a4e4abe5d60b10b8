#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reads an HTTP/1.x answer as it arrives: the status line, the header lines
// and the body, whose bytes come out with chunked coding undone. Only an
// answer with status 200 has a body worth reading; anything else fails.
class THttpResponseReader {
public:
  enum class TState {
    Head,     // status and header lines
    Body,     // body bytes
    Complete, // the body's announced end was reached
    Failed,   // see Failure()
  };
  // What ended a Failed answer.
  enum class TFailure {
    None,
    NotHttp,   // the first line is no HTTP/1.x status line
    NotOk,     // a status other than 200
    BadHeader, // a header line without a colon, or a length that is no number
    BadChunk,  // chunked coding broken: a size that is no number, or no line end after the data
  };

  // Takes the next bytes and appends the body bytes among them to `body`.
  void Feed(std::string_view bytes, std::string& body);
  TState State() const { return state_; }
  TFailure Failure() const { return failure_; }

private:
  enum class TChunkStep { Size, Data, DataEnd, Trailer };

  void HeadLine(std::string_view line);
  void HeaderField(std::string_view name, std::string_view value);
  // Collects bytes up to an LF into line_; true with a whole line there.
  bool TakeLine(std::string_view& bytes);
  void Fail(TFailure failure);
  void FeedChunked(std::string_view& bytes, std::string& body);
  void ChunkLine(std::string_view line);

  TState state_ = TState::Head;
  TFailure failure_ = TFailure::None;
  bool statusRead_ = false;
  bool chunked_ = false;
  std::optional<uint64_t> remaining_; // body bytes still announced, when known
  TChunkStep chunkStep_ = TChunkStep::Size;
  std::string line_;
};
