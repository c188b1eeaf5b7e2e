#pragma once
// How a label lays its text out, for the front ends that draw it: the lines it
// shows within a width, each a list of runs in their font and colour and as tall as
// its tallest font, and whether its last line is cut with an ellipsis. The label
// decides where its text breaks and where it is cut; a renderer only draws that.

#include "platform/uikit/UILabel.h"

#include <memory>
#include <string>
#include <vector>

namespace kavro::platform::uikit {

struct LabelInternals {
  struct Run {
    std::string text;
    std::shared_ptr<UIFont> font;
    std::shared_ptr<UIColor> color;
  };
  struct Line {
    // The line's text in its fonts and colours. A plain label's line is one run (its
    // text empty on an empty line); an attributed label's has one run per change of
    // attributes, and none on an empty line.
    std::vector<Run> runs;
    CGFloat height = 0;     // the line height of its tallest font, the label's at least
  };
  struct Layout {
    std::vector<Line> lines;
    // The last line ends in an ellipsis: it holds all the text beyond the line limit
    // (which is then not lost, only not shown), or it is a single line wider than
    // the label.
    bool truncated = false;
    // Runs in fonts and colours of their own; otherwise each line is one run in the
    // label's font and colour.
    bool attributed = false;
  };

  // Plain text breaks as linesForWidth does; attributed text only at its line
  // breaks. Past the line limit, the rest of the text joins the last line (its
  // lines separated by a space) and the layout is truncated.
  static Layout layout(const UILabel& label, CGFloat width);
};

}  // namespace kavro::platform::uikit
