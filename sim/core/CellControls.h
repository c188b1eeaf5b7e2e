#pragma once
// What the dump tells of a table cell's control, in the platform's own terms: the
// control of a preference row (PSTableCell::control()), or a switch in a cell's
// accessory place. Kinds and their fields:
//   {"kind": "switch",  "value": bool}
//   {"kind": "slider",  "value": N, "min": N, "max": N}
//   {"kind": "segment", "titles": [...], "selected": N (-1: none)}
//   {"kind": "text",    "text": S, "placeholder": S, "secure": bool, "editing": bool}
// null for a cell without one. A row is enabled unless it is a preference row
// dimmed by "enabled" false.

#include <nlohmann/json.hpp>

#include <memory>

class UIControl;
class UITableViewCell;

namespace kavro::sim {

// The control that shows the cell's value, or nullptr.
std::shared_ptr<UIControl> cellControl(const UITableViewCell& cell);
nlohmann::json cellControlJson(const UITableViewCell& cell);
bool cellEnabled(const UITableViewCell& cell);

}  // namespace kavro::sim
