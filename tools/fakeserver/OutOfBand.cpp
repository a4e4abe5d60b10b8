#include "tools/fakeserver/OutOfBand.h"

std::string OutOfBand(std::string_view body) {
  std::string datagram(kOutOfBandHeader);
  datagram.append(body);
  return datagram;
}

std::optional<std::string_view> OutOfBandBody(std::string_view datagram) {
  if (!datagram.starts_with(kOutOfBandHeader))
    return std::nullopt;
  return datagram.substr(kOutOfBandHeader.size());
}

std::optional<TextCommand> ParseTextCommand(std::string_view datagram) {
  std::optional<std::string_view> body = OutOfBandBody(datagram);
  if (!body)
    return std::nullopt;
  std::string_view text = *body;
  const std::size_t end = text.find_last_not_of(std::string_view("\0\r\n \t", 5));
  text = end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
  if (text.empty())
    return std::nullopt;
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos)
    return TextCommand{std::string(text), ""};
  const std::size_t argumentStart = text.find_first_not_of(' ', blank);
  return TextCommand{
      std::string(text.substr(0, blank)),
      argumentStart == std::string_view::npos ? "" : std::string(text.substr(argumentStart))};
}
