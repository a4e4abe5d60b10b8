#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ScopedLocale.h"
#include "update/NewsDate.h"
#include "update/UpdateReply.h"

namespace {

std::string WithLineEnds(const std::vector<std::string>& lines, const std::string& end) {
  std::string text;
  for (const std::string& line : lines)
    text += line + end;
  return text;
}

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";

// The maker's page: three dated entries after the version marker.
std::vector<std::string> NewsPage(const std::string& first, const std::string& second,
                                  const std::string& third) {
  return {"<!DOCTYPE html>",
          "<HTML>",
          "<body><p>Skarvel</p>",
          "Current Skarvel version: 2.6",
          first,
          "Skarvel 2.6 released",
          second,
          "A new plug-in",
          third,
          "An old entry",
          "</body></html>"};
}

const std::string kTwoNewsDotted = "20.05.2007\nSkarvel 2.6 released\n10.05.2007\nA new plug-in\n";
const std::string kTwoNewsIso = "2007-05-20\nSkarvel 2.6 released\n2007-05-10\nA new plug-in\n";

TDateTime Date(const char* iso) {
  return *ReadNewsDate(iso);
}

std::string Chunked(const std::string& body, std::size_t size) {
  std::string text = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (std::size_t at = 0; at < body.size(); at += size) {
    const std::string chunk = body.substr(at, size);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%zx", chunk.size());
    text += std::string(hex) + ";ext=1\r\n" + chunk + "\r\n";
  }
  return text + "0\r\nX-Trailer: t\r\n\r\n";
}

struct ReplyCase {
  const char* name;
  std::string answer;
  TUpdateFailure failure;
  std::string news;
  bool endsWithoutClose = false; // decided before the connection closes
};

std::vector<ReplyCase> Cases() {
  const auto dotted = NewsPage("20.05.2007", "10.05.2007", "01.04.2007");
  const auto iso = NewsPage("2007-05-20", "2007-05-10", "2007-04-01");
  const std::string isoLf = WithLineEnds(iso, "\n");
  return {
      {"CrLfPageWithTwoNewEntries", kOk + WithLineEnds(dotted, "\r\n"), TUpdateFailure::None,
       kTwoNewsDotted, true},
      {"LfPageLosesNoDigit", kOk + WithLineEnds(dotted, "\n"), TUpdateFailure::None, kTwoNewsDotted,
       true},
      {"IsoDates", kOk + isoLf, TUpdateFailure::None, kTwoNewsIso, true},
      {"HttpOneZero", "HTTP/1.0 200 OK\n\n" + isoLf, TUpdateFailure::None, kTwoNewsIso, true},
      {"NoNewsWhenTheFirstEntryIsOld",
       kOk + WithLineEnds(NewsPage("2007-04-13", "2007-04-01", "2007-03-01"), "\r\n"),
       TUpdateFailure::None, "", true},
      {"ClosingTagEndsTheNews",
       kOk + WithLineEnds(
                 {"<html>", "Current Skarvel version: 2.6", "2007-05-20", "New", "</body>"}, "\n"),
       TUpdateFailure::None, "2007-05-20\nNew\n", true},
      {"LastLineWithoutLineEnd",
       kOk + "<html>\nCurrent Skarvel version: 2.6\n2007-05-20\nNew\n</html>", TUpdateFailure::None,
       "2007-05-20\nNew\n"},
      {"ChunkedWithBoundariesInsideLines", Chunked(isoLf, 7), TUpdateFailure::None, kTwoNewsIso,
       true},
      {"BadDateLine", kOk + WithLineEnds(NewsPage("2007-05-32", "2007-05-10", "2007-04-01"), "\n"),
       TUpdateFailure::BadDate, "", true},
      {"NotFound", "HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n\r\n" + isoLf,
       TUpdateFailure::NotOk, "", true},
      {"Redirect", "HTTP/1.1 301 Moved\r\nLocation: /x\r\n\r\n", TUpdateFailure::NotOk, "", true},
      {"Garbage", std::string("\x16\x03\x01\x00\xff garbage\n", 14) + isoLf,
       TUpdateFailure::NotAPage, "", true},
      {"HeaderWithoutColon", "HTTP/1.1 200 OK\r\nnonsense\r\n\r\n" + isoLf,
       TUpdateFailure::BadHeader, "", true},
      {"LengthNoNumber", "HTTP/1.1 200 OK\r\nContent-Length: many\r\n\r\n" + isoLf,
       TUpdateFailure::BadHeader, "", true},
      // A status of 200 whose chunked coding breaks is no "non-200" answer.
      {"BrokenChunkSize", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n" + isoLf,
       TUpdateFailure::BadChunk, "", true},
      {"ChunkLongerThanItsSize",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\n<html>\r\n0\r\n\r\n",
       TUpdateFailure::BadChunk, "", true},
      {"StatusNotANumber", "HTTP/1.1 2000 OK\r\n\r\n" + isoLf, TUpdateFailure::NotAPage, "", true},
      {"ClosedInTheHead", "HTTP/1.1 200 OK\r\nContent-Type: te", TUpdateFailure::PageIncomplete,
       ""},
      {"ClosedBeforeTheNewsEnded", kOk + "<html>\nCurrent Skarvel version: 2.6\n2007-05-20\n",
       TUpdateFailure::PageIncomplete, ""},
      {"NoVersionMarker", kOk + "<html>\ncurrent skarvel version: 2.6\n2007-05-20\n</html>\n",
       TUpdateFailure::PageIncomplete, ""},
      {"ContentLengthEndsThePage",
       "HTTP/1.1 200 OK\r\nContent-Length: 42\r\n\r\n" + isoLf + "</html>\n",
       TUpdateFailure::PageIncomplete, "", true},
  };
}

class UpdateReplyTest : public ::testing::TestWithParam<ReplyCase> {};

// Sockets hand over bytes in any pieces: every split gives the same outcome.
TEST_P(UpdateReplyTest, SameOutcomeHoweverTheBytesArrive) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.active())
    GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  const ReplyCase& c = GetParam();
  for (const std::size_t piece : {c.answer.size(), std::size_t{1}, std::size_t{5}}) {
    TUpdateReply reply(Date("2007-04-13"));
    for (std::size_t at = 0; at < c.answer.size() && !reply.Outcome(); at += piece)
      reply.Feed(std::string_view(c.answer).substr(at, piece));
    EXPECT_EQ(reply.Outcome().has_value(), c.endsWithoutClose) << "pieces of " << piece;
    reply.End();
    ASSERT_TRUE(reply.Outcome()) << "pieces of " << piece;
    EXPECT_EQ(reply.Outcome()->Failure, c.failure)
        << UpdateFailureText(reply.Outcome()->Failure) << ", pieces of " << piece;
    EXPECT_EQ(reply.Outcome()->News, c.news) << "pieces of " << piece;
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, UpdateReplyTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<ReplyCase>& param) {
                           return std::string(param.param.name);
                         });

TEST(UpdateReplyBoundTest, AnswerPastTheByteBoundFails) {
  const std::string endless = kOk + "<html>\nCurrent Skarvel version: 2.6\n";
  const std::string line = "more news without end\n";
  TUpdateReply reply(0, 4096);
  reply.Feed(endless);
  std::size_t fed = endless.size();
  while (!reply.Outcome() && fed < 10000) {
    reply.Feed(line);
    fed += line.size();
  }
  ASSERT_TRUE(reply.Outcome());
  EXPECT_EQ(reply.Outcome()->Failure, TUpdateFailure::TooLong);
  EXPECT_GT(fed, 4096u);
  EXPECT_LE(fed, 4096u + line.size());
}

TEST(UpdateReplyBoundTest, OneHugeLineFailsAtTheBound) {
  TUpdateReply reply(0);
  reply.Feed(kOk + "<html>\nCurrent Skarvel version: 2.6\n");
  const std::string megabyte(1 << 20, 'x');
  reply.Feed(megabyte);
  ASSERT_TRUE(reply.Outcome());
  EXPECT_EQ(reply.Outcome()->Failure, TUpdateFailure::TooLong);
}

TEST(UpdateReplyBoundTest, PageEndingInsideTheBoundCountsWhateverFollows) {
  const std::string page = kOk + "<html>\nCurrent Skarvel version: 2.6\n2007-05-20\nNew\n</html>\n";
  TUpdateReply reply(0, page.size() + 10);
  reply.Feed(page + std::string(1000, 'x'));
  ASSERT_TRUE(reply.Outcome());
  EXPECT_TRUE(reply.Outcome()->Succeeded());
  EXPECT_EQ(reply.Outcome()->News, "2007-05-20\nNew\n");
}

struct DateCase {
  const char* text;
  bool valid;
};

TEST(NewsDateTest, IsoDatesInEveryLocaleAndTheShortDateOfTheUsers) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.active())
    GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  EXPECT_EQ(ReadNewsDate("20.05.2007"), ReadNewsDate("2007-05-20"));
  EXPECT_EQ(ReadNewsDate("2007-05-20").value() - ReadNewsDate("2007-05-19").value(), 1.0);
  for (const DateCase& c :
       {DateCase{"2008-02-29", true}, DateCase{"2007-05-20  ", true}, DateCase{"2007-02-29", false},
        DateCase{"2007-04-31", false}, DateCase{"2007-13-01", false}, DateCase{"2007-00-10", false},
        DateCase{"2007-5-20", false}, DateCase{"2007-05-20 news", false},
        DateCase{"20.05.2007", true}, DateCase{"32.05.2007", false}, DateCase{"2", false}})
    EXPECT_EQ(ReadNewsDate(c.text).has_value(), c.valid) << c.text;
}

} // namespace
