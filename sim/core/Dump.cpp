#include "sim/core/Dump.h"

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/onboardingkit/OBWelcomeController.h"
#include "platform/uikit/UIAlertController.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIViewPrivate.h"
#include "sim/core/AppearanceNames.h"
#include "sim/core/PlistJson.h"
#include "sim/core/Screen.h"
#include "sim/core/Simulator.h"
#include "store/Preferences.h"
#include "switch/KavroSwitch.h"

#include <cmath>

namespace kavro::sim {

using nlohmann::json;

namespace {

json color(const std::shared_ptr<UIColor>& color, UIUserInterfaceStyle style) {
  return color ? json(color->hexString(style)) : json(nullptr);
}

json frameJson(const CGRect& frame) { return Dumper::frame(frame); }

json barItem(const std::shared_ptr<UIBarButtonItem>& item) {
  if (item->isFixedSpace()) {
    double width = item->width();
    std::string text = std::floor(width) == width ? std::to_string(static_cast<long long>(width)) : std::to_string(width);
    return "space:" + text;
  }
  if (auto button = std::dynamic_pointer_cast<UIButton>(item->customView())) return Screen::buttonLabel(*button);
  if (!item->title().empty()) return item->title();
  if (item->image() && item->image()->isSymbolImage()) return item->image()->symbolName();
  if (auto view = item->customView()) return view->className();
  return "";
}

json navigationJson(const Screen& screen) {
  auto page = screen.topPage();
  auto navigation = screen.navigationController();
  if (!page || !navigation) return nullptr;
  json left = json::array(), right = json::array();
  for (auto& item : page->navigationItem()->leftBarButtonItems()) left.push_back(barItem(item));
  for (auto& item : page->navigationItem()->rightBarButtonItems()) right.push_back(barItem(item));
  return {{"left", left}, {"right", right}, {"largeTitles", navigation->navigationBar()->prefersLargeTitles()}};
}

json alertJson(const Screen& screen) {
  auto alert = std::dynamic_pointer_cast<UIAlertController>(screen.alert());
  if (!alert) return nullptr;
  json actions = json::array();
  for (auto& action : alert->actions()) {
    const char* style = action->style() == UIAlertActionStyleCancel        ? "cancel"
                        : action->style() == UIAlertActionStyleDestructive ? "destructive"
                                                                            : "default";
    actions.push_back({{"title", action->title()}, {"style", style}});
  }
  return {{"title", alert->title()},
          {"message", alert->message()},
          {"style", alert->preferredStyle() == UIAlertControllerStyleActionSheet ? "actionSheet" : "alert"},
          {"actions", actions}};
}

json sheetJson(const Screen& screen) {
  auto sheet = std::dynamic_pointer_cast<OBWelcomeController>(screen.topPage());
  if (!sheet) return nullptr;
  json items = json::array();
  for (auto& item : sheet->bulletedItems())
    items.push_back({{"title", item.title},
                     {"description", item.description},
                     {"symbol", item.image && item.image->isSymbolImage() ? json(item.image->symbolName()) : json(nullptr)}});
  json buttons = json::array();
  if (sheet->isViewLoaded())
    for (auto& button : sheet->buttonTray()->buttons()) buttons.push_back(button->currentTitle());
  auto icon = sheet->icon();
  return {{"title", sheet->title()},
          {"detail", sheet->detailText()},
          {"image", icon && !icon->fileName().empty() ? json(icon->fileName()) : json(nullptr)},
          {"items", items},
          {"buttons", buttons}};
}

json switchesJson(const Screen& screen, UIUserInterfaceStyle style) {
  json list = json::array();
  for (auto& control : screen.switches()) {
    list.push_back({{"frame", frameJson(control->frameInWindow())},
                    {"isOn", control->isOn()},
                    {"isEnabled", control->isEnabled()},
                    {"thumbX", Dumper::number(control->switchThumb()->frame().origin.x)},
                    {"interaction", control->isUserInteractionEnabled()},
                    {"thumb", color(control->switchThumb()->backgroundColor(), style)},
                    {"track", color(control->track()->backgroundColor(), style)}});
  }
  return list;
}

// The text a header or footer view shows: a label's text, else the first label's.
json supplementaryText(const std::shared_ptr<UIView>& view, const std::optional<std::string>& title) {
  if (view) {
    std::string text;
    bool found = false;
    visitViews(view, [&](const std::shared_ptr<UIView>& v) {
      if (found) return false;
      if (auto label = std::dynamic_pointer_cast<UILabel>(v)) {
        text = label->text();
        found = true;
      }
      return !found;
    });
    if (found) return text;
  }
  return title ? json(*title) : json(nullptr);
}

json tableJson(const Screen& screen) {
  auto table = screen.table();
  if (!table) return nullptr;
  table->layoutIfNeeded();
  json header = nullptr;
  if (auto view = table->tableHeaderView()) {
    json images = json::array();
    visitViews(view, [&](const std::shared_ptr<UIView>& v) {
      if (auto imageView = std::dynamic_pointer_cast<UIImageView>(v))
        if (auto image = imageView->image(); image && !image->fileName().empty()) images.push_back(image->fileName());
      return true;
    });
    header = {{"height", Dumper::number(view->frame().size.height)}, {"images", images}};
  }
  json sections = json::array();
  auto source = table->dataSource();
  for (long s = 0; s < table->numberOfSections(); ++s) {
    json cells = json::array();
    for (auto& indexPath : table->indexPathsForVisibleRows()) {
      if (indexPath.section != s) continue;
      auto cell = table->cellForRowAtIndexPath(indexPath);
      auto detail = cell->detailTextLabel();
      cells.push_back({{"row", indexPath.row},
                       {"frame", frameJson(cell->frameInWindow())},
                       {"text", cell->textLabel()->text()},
                       {"detail", detail ? json(detail->text()) : json(nullptr)},
                       {"accessory", cell->accessoryType() == UITableViewCellAccessoryCheckmark ? "checkmark" : "none"}});
    }
    auto headerTitle = source ? source->titleForHeaderInSection(table, s) : std::nullopt;
    auto footerTitle = source ? source->titleForFooterInSection(table, s) : std::nullopt;
    sections.push_back({{"header", supplementaryText(table->headerViewForSection(s), headerTitle)},
                        {"headerHeight", Dumper::number(table->rectForHeaderInSection(s).size.height)},
                        {"footer", supplementaryText(table->footerViewForSection(s), footerTitle)},
                        {"footerHeight", Dumper::number(table->rectForFooterInSection(s).size.height)},
                        {"rows", table->numberOfRowsInSection(s)},
                        {"cells", cells}});
  }
  return {{"editing", table->isEditing()}, {"header", header}, {"sections", sections}};
}

json searchJson(const Screen& screen) {
  auto searchBar = screen.searchBar();
  if (!searchBar) return nullptr;
  return {{"text", searchBar->text()}, {"editing", searchBar->isEditing()}};
}

json buttonsJson(const Screen& screen) {
  json buttons = json::array();
  for (auto& button : screen.buttons()) buttons.push_back({{"label", button.label}, {"frame", frameJson(button.frame)}});
  return buttons;
}

json windowTint(const DumpContext& context) {
  auto& window = context.screen.window();
  return window ? color(kavro::platform::uikit::ViewInternals::ownTintColor(*window), context.style) : json(nullptr);
}

json pageTitle(const DumpContext& context) {
  auto page = context.screen.topPage();
  if (!page) return nullptr;
  return page->title().empty() ? page->navigationItem()->title() : page->title();
}

json frontApplication(const DumpContext& context) {
  std::string front = context.simulator.frontApplication();
  return front.empty() ? json(nullptr) : json(front);
}

}  // namespace

json Dumper::event(const kavro::platform::DeviceEvent& event) {
  json entry = {{"t", number(event.time)}, {"event", event.event}};
  for (auto& [name, value] : event.fields) std::visit([&, &name = name](auto&& v) { entry[name] = v; }, value);
  if (event.event == "present" || event.event == "dismiss" || event.event == "relaunch" || event.event == "notify")
    entry["process"] = event.process;
  return entry;
}

json Dumper::number(double value) {
  if (std::isfinite(value) && std::floor(value) == value && std::abs(value) < 9e15)
    return static_cast<long long>(value);
  return std::round(value * 1e6) / 1e6;
}

const std::vector<DumpMember>& Dumper::coreMembers() {
  using Context = const DumpContext&;
  static const std::vector<DumpMember> table = {
      {"t", [](Context c) { return number(c.simulator.device().now()); }},
      {"process", [](Context c) { return json(c.process.name()); }},
      {"prefs", [](Context) { return storedPreferences(); }},
      {"prefsFile", [](Context) { return json(kavro::store::preferencesFileExists()); }},
      {"appearance", [](Context c) { return json(appearanceName(c.simulator.device().appearance())); }},
      {"windowTint", windowTint},
      {"top", [](Context c) { return c.screen.topPage() ? json(c.screen.topPage()->className()) : json(nullptr); }},
      {"title", pageTitle},
      {"navigation", [](Context c) { return navigationJson(c.screen); }},
      {"alert", [](Context c) { return alertJson(c.screen); }},
      {"sheet", [](Context c) { return sheetJson(c.screen); }},
      {"switches", [](Context c) { return switchesJson(c.screen, c.style); }},
      {"table", [](Context c) { return tableJson(c.screen); }},
      {"search", [](Context c) { return searchJson(c.screen); }},
      {"buttons", [](Context c) { return buttonsJson(c.screen); }},
      {"front", frontApplication},
  };
  return table;
}

json Dumper::storedPreferences() {
  auto defaults = NSUserDefaults::standardUserDefaults();
  json stored = PlistJson::toJson(PlistValue(defaults->persistentDomainForName(kavro::store::kDomain)));
  return stored.is_null() ? json::object() : stored;
}

json Dumper::frame(const CGRect& frame) {
  return json::array({number(frame.origin.x), number(frame.origin.y), number(frame.size.width), number(frame.size.height)});
}

json Dumper::dump(bool consumeLog) {
  kavro::platform::Device& device = simulator_.device();
  kavro::platform::Process& process = simulator_.frontProcess();
  json state = json::object();
  {
    kavro::platform::ProcessScope scope(process);
    auto window = UIApplication::sharedApplication()->keyWindow();
    if (window) window->layoutIfNeeded();
    Screen screen(window, simulator_.buttonLabels());
    DumpContext context{simulator_, process, screen, interfaceStyle(device.appearance())};
    for (const DumpMember& member : simulator_.dumpMembers()) state[std::string(member.name)] = member.value(context);
  }
  json log = json::array();
  for (auto& event : device.eventsAfter(lastEvent_)) log.push_back(Dumper::event(event));
  if (consumeLog) lastEvent_ = device.lastEventSequence();
  state["log"] = log;
  return state;
}

}  // namespace kavro::sim
