#pragma once

#include <QByteArray>

// Answers of the maker's web server as the update tests serve them.
namespace pages {

inline QByteArray Ok(const QByteArray& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n" + body;
}

// Three dated entries after the marker; `end` ends every line.
inline QByteArray News(const QByteArray& first, const QByteArray& second, const QByteArray& third,
                       const QByteArray& end = "\r\n") {
  const QByteArray lines[] = {"<html>",
                              "<body>",
                              "<h1>Skarvel</h1>",
                              "Current Skarvel version: 2.6",
                              first,
                              "Skarvel 2.6 released",
                              second,
                              "A new plug-in",
                              third,
                              "An old entry",
                              "</body>",
                              "</html>"};
  QByteArray body;
  for (const QByteArray& line : lines)
    body += line + end;
  return Ok(body);
}

inline QByteArray IsoNews(const QByteArray& end = "\n") {
  return News("2007-05-20", "2007-05-10", "2007-04-01", end);
}

inline const char* const kIsoNewsText =
    "2007-05-20\nSkarvel 2.6 released\n2007-05-10\nA new plug-in\n";

inline QByteArray NoNews() {
  return News("2007-04-13", "2007-04-01", "2007-03-01");
}

} // namespace pages
