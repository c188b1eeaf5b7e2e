#include "sim/web/server/Screenshots.h"

#include "platform/device/Device.h"

#include <array>
#include <cmath>
#include <utility>

namespace kavro::sim {

namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

std::uint32_t bigEndian(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Each base64 character's six bits, or -1 for a character that is none.
constexpr std::array<int, 256> base64Values() {
  std::array<int, 256> values{};
  for (int& value : values) value = -1;
  constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i < alphabet.size(); ++i) values[static_cast<unsigned char>(alphabet[i])] = static_cast<int>(i);
  return values;
}

}  // namespace

std::uint32_t screenshotWidth() {
  return static_cast<std::uint32_t>(std::lround(platform::Device::kScreenWidth * platform::Device::kScreenScale));
}

std::uint32_t screenshotHeight() {
  return static_cast<std::uint32_t>(std::lround(platform::Device::kScreenHeight * platform::Device::kScreenScale));
}

std::optional<std::string> pngProblem(std::string_view bytes, std::uint32_t width, std::uint32_t height) {
  if (!bytes.starts_with(kPngSignature)) return "the picture is no PNG (its first 8 bytes are not a PNG's signature)";
  // The first chunk: a length of 13, "IHDR", then the width and height.
  constexpr std::size_t kHeaderEnd = 8 + 8 + 8;
  if (bytes.size() < kHeaderEnd || bigEndian(bytes, 8) != 13 || bytes.substr(12, 4) != "IHDR")
    return "the PNG does not begin with its IHDR chunk";
  std::uint32_t pictureWidth = bigEndian(bytes, 16);
  std::uint32_t pictureHeight = bigEndian(bytes, 20);
  if (pictureWidth != width || pictureHeight != height)
    return "the PNG is " + std::to_string(pictureWidth) + " × " + std::to_string(pictureHeight) +
           " pixels, not the screen's " + std::to_string(width) + " × " + std::to_string(height);
  return std::nullopt;
}

std::optional<std::string> decodeBase64(std::string_view text) {
  static constexpr std::array<int, 256> kValues = base64Values();
  if (text.size() % 4 != 0) return std::nullopt;
  std::size_t padding = text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0;
  std::string bytes;
  bytes.reserve(text.size() / 4 * 3);
  std::uint32_t bits = 0;
  int count = 0;
  for (std::size_t i = 0; i < text.size() - padding; ++i) {
    int value = kValues[static_cast<unsigned char>(text[i])];
    if (value < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    if (++count == 4) {
      bytes += static_cast<char>((bits >> 16) & 0xFF);
      bytes += static_cast<char>((bits >> 8) & 0xFF);
      bytes += static_cast<char>(bits & 0xFF);
      bits = 0;
      count = 0;
    }
  }
  // The last group before the padding: 3 characters make 2 bytes, 2 make 1; the
  // bits left over must be zero, as an encoder writes them.
  if (count == 3) {
    if (bits & 0x3) return std::nullopt;
    bytes += static_cast<char>((bits >> 10) & 0xFF);
    bytes += static_cast<char>((bits >> 2) & 0xFF);
  } else if (count == 2) {
    if (bits & 0xF) return std::nullopt;
    bytes += static_cast<char>((bits >> 4) & 0xFF);
  }
  return bytes;
}

std::optional<std::uint64_t> ScreenshotWaits::add(Clock::time_point now, Reply reply) {
  waiting_.push_back({now + kTimeout, std::move(reply)});
  if (ask_ != 0) return std::nullopt;
  ask_ = ++lastAsk_;
  return ask_;
}

bool ScreenshotWaits::answer(const ScreenshotAnswer& answer) {
  if (ask_ == 0 || answer.id != ask_) return false;
  ask_ = 0;
  if (answer.error) {
    std::string message = "the page could not take the screenshot: " + *answer.error;
    answerFirst(waiting_.size(), [&] { return HttpReply::failure({504, message}); });
  } else if (auto problem = pngProblem(answer.png, screenshotWidth(), screenshotHeight())) {
    std::string message = "the page's screenshot is unusable: " + *problem;
    answerFirst(waiting_.size(), [&] { return HttpReply::failure({502, message}); });
  } else {
    answerFirst(waiting_.size(), [&] { return HttpReply::bytes(answer.png, "image/png", "no-store"); });
  }
  return true;
}

void ScreenshotWaits::fail(int status, const std::string& message) {
  ask_ = 0;
  answerFirst(waiting_.size(), [&] { return HttpReply::failure({status, message}); });
}

void ScreenshotWaits::expire(Clock::time_point now) {
  // Requests wait in the order they came, so their deadlines are in order too.
  std::size_t due = 0;
  while (due < waiting_.size() && waiting_[due].deadline <= now) ++due;
  if (due == waiting_.size()) ask_ = 0;
  answerFirst(due, [] {
    return HttpReply::failure(
        {504, "no page answered within " + std::to_string(kTimeout.count()) + " s with a screenshot"});
  });
}

void ScreenshotWaits::drop() {
  waiting_.clear();
  ask_ = 0;
}

std::optional<ScreenshotWaits::Clock::time_point> ScreenshotWaits::nextDeadline() const {
  if (waiting_.empty()) return std::nullopt;
  return waiting_.front().deadline;
}

void ScreenshotWaits::answerFirst(std::size_t count, const std::function<HttpReply()>& reply) {
  std::deque<Waiting> answered(std::make_move_iterator(waiting_.begin()),
                               std::make_move_iterator(waiting_.begin() + static_cast<std::ptrdiff_t>(count)));
  waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(count));
  for (Waiting& waiting : answered) waiting.reply(reply());
}

}  // namespace kavro::sim
