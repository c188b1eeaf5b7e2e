#include "sim/render/SystemChrome.h"

#include "platform/device/Device.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIWindow.h"
#include "sim/render/JsonWriter.h"

#include <cmath>

namespace kavro::sim {

namespace {

constexpr double kScreenWidth = kavro::platform::Device::kScreenWidth;
constexpr double kScreenHeight = kavro::platform::Device::kScreenHeight;
// The notch: a black pill hanging from the top edge, in the middle.
constexpr double kNotchWidth = 164, kNotchHeight = 52, kNotchTop = -20, kNotchRadius = 20;
// The time, centred at this point, in the semibold 17-point system font.
constexpr double kTimeCentreX = 62, kTimeCentreY = 25, kTimeFontSize = 17;
// The indicators at the right: signal bars, Wi-Fi and battery, from this far left
// of the screen's right edge.
constexpr double kIndicatorsFromRight = 98;
// The home indicator: a bar above the bottom edge, in the middle.
constexpr double kHomeBarWidth = 134, kHomeBarHeight = 5, kHomeBarFromBottom = 13;

class ChromeWriter {
 public:
  ChromeWriter(std::string& out, UIColor::RGBA content) : out_(out), content_(content) {}

  // The status bar and the home indicator, as one array.
  void write() {
    out_.beginArray();
    statusBar();
    homeIndicator();
    out_.endArray();
  }

 private:
  // A view of its own class name and frame; the caller adds its members and ends it.
  JsonWriter& begin(const char* name, CGRect frame) { return out_.beginObject().member("k", name).member("f", frame); }
  // A view filled with the content colour.
  void filled(const char* name, CGRect frame, double radius = 0, double alpha = 1) {
    begin(name, frame);
    if (alpha < 1) out_.member("a", alpha);
    out_.member("bg", content_);
    if (radius > 0) out_.member("r", radius);
    out_.endObject();
  }
  void statusBar();
  void time();
  void signal(double left);
  void wifi(double left);
  void battery(double left);
  void homeIndicator();

  JsonWriter out_;
  UIColor::RGBA content_;
};

void ChromeWriter::statusBar() {
  begin("StatusBar", CGRectMake(0, 0, kScreenWidth, UIWindow::kStatusBarHeight)).key("kids").beginArray();
  begin("Notch", CGRectMake((kScreenWidth - kNotchWidth) / 2, kNotchTop, kNotchWidth, kNotchHeight));
  out_.member("bg", UIColor::RGBA{0, 0, 0, 1}).member("r", kNotchRadius).endObject();
  time();
  double left = kScreenWidth - kIndicatorsFromRight;
  signal(left);
  wifi(left);
  battery(left);
  out_.endArray().endObject();
}

void ChromeWriter::time() {
  constexpr double width = 100, height = 20;
  begin("StatusBarTime", CGRectMake(kTimeCentreX - width / 2, kTimeCentreY - height / 2, width, height));
  auto font = UIFont::systemFontOfSize(kTimeFontSize, UIFontWeightSemibold);
  out_.key("text").beginObject();
  out_.key("font").beginArray().number(font->pointSize()).number(font->cssWeight()).endArray();
  out_.member("color", content_).member("align", "center").member("n", 1.0).member("clock", "H:mm");
  out_.key("heights").beginArray().number(font->lineHeight()).endArray();
  out_.endObject().endObject();
}

// Four bars, each 2.6 points taller than the last, standing on one line.
void ChromeWriter::signal(double left) {
  for (int i = 0; i < 4; ++i) {
    double height = (i + 1) * 2.6;
    filled("StatusBarSignal", CGRectMake(left + i * 5, 29 - height, 3, height));
  }
}

// Three arcs, a quarter of a circle each, around one centre below them.
void ChromeWriter::wifi(double left) {
  const CGRect frame = CGRectMake(left + 18, 18, 24, 12);
  const double centreX = 12, centreY = 12, diagonal = std::sqrt(0.5);
  std::string path;
  // The path's numbers, rounded as the tree's are.
  auto point = [&](double x, double y) {
    JsonWriter(path).number(x);
    path += ' ';
    JsonWriter(path).number(y);
  };
  for (int i = 0; i < 3; ++i) {
    double radius = 3 + i * 3.6;
    if (!path.empty()) path += ' ';
    path += 'M';
    point(centreX - radius * diagonal, centreY - radius * diagonal);
    path += " A";
    point(radius, radius);
    path += " 0 0 1 ";
    point(centreX + radius * diagonal, centreY - radius * diagonal);
  }
  begin("StatusBarWiFi", frame).key("path").beginObject().member("d", path);
  out_.key("stroke").beginArray().number(2).color(content_).endArray();
  out_.endObject().endObject();
}

// An outline at 45 %, its cap beside it, and the charge inside.
void ChromeWriter::battery(double left) {
  begin("StatusBarBattery", CGRectMake(left + 44.5, 19, 26, 13)).member("a", 0.45).member("r", 4.0);
  out_.key("border").beginArray().number(1).color(content_).endArray().endObject();
  filled("StatusBarBatteryCap", CGRectMake(left + 71, 23.5, 1.5, 4), 0, 0.45);
  filled("StatusBarBatteryLevel", CGRectMake(left + 47, 21.5, 19, 8), 2);
}

void ChromeWriter::homeIndicator() {
  begin("HomeIndicator", CGRectMake(0, kScreenHeight - UIWindow::kHomeIndicatorHeight, kScreenWidth,
                                    UIWindow::kHomeIndicatorHeight))
      .key("kids")
      .beginArray();
  filled("HomeIndicatorBar",
         CGRectMake((kScreenWidth - kHomeBarWidth) / 2, kScreenHeight - kHomeBarFromBottom, kHomeBarWidth,
                    kHomeBarHeight),
         kHomeBarHeight / 2);
  out_.endArray().endObject();
}

std::string writeChrome(UIColor::RGBA content) {
  std::string out;
  ChromeWriter(out, content).write();
  return out;
}

}  // namespace

const std::string& systemChrome(StatusBarContent content) {
  static const std::string light = writeChrome({1, 1, 1, 1});
  static const std::string dark = writeChrome({0, 0, 0, 1});
  return content == StatusBarContent::light ? light : dark;
}

}  // namespace kavro::sim
