#include "sim/web/server/RequestTarget.h"

#include "sim/web/server/RequestError.h"

#include <charconv>

namespace kavro::sim {

namespace {

int hexadecimalDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

RequestTarget::RequestTarget(std::string_view target) {
  auto question = target.find('?');
  path_ = std::string(target.substr(0, question));
  if (question == std::string_view::npos) return;
  std::string_view query = target.substr(question + 1);
  while (!query.empty()) {
    auto amp = query.find('&');
    std::string_view pair = query.substr(0, amp);
    auto equals = pair.find('=');
    parameters_.emplace_back(std::string(pair.substr(0, equals)),
                             equals == std::string_view::npos ? "" : std::string(pair.substr(equals + 1)));
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
}

const std::string* RequestTarget::parameter(std::string_view name) const {
  for (auto& [key, value] : parameters_)
    if (key == name) return &value;
  return nullptr;
}

std::optional<std::uint64_t> RequestTarget::wholeNumber(std::string_view name) const {
  const std::string* text = parameter(name);
  if (!text) return std::nullopt;
  std::uint64_t value = 0;
  auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (text->empty() || error != std::errc() || end != text->data() + text->size())
    throw RequestError(400, "\"" + std::string(name) + "\" must be a whole number");
  return value;
}

std::optional<std::string> decodePercentEscapes(std::string_view path) {
  std::string decoded;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] != '%') {
      decoded += path[i];
      continue;
    }
    if (i + 2 >= path.size()) return std::nullopt;
    int high = hexadecimalDigit(path[i + 1]), low = hexadecimalDigit(path[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

}  // namespace kavro::sim
