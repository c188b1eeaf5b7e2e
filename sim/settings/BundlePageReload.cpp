#include "sim/settings/BundlePageReload.h"

#include "platform/preferences/PSListController.h"
#include "sim/settings/SettingsEntry.h"
#include "sim/settings/SettingsRootController.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace kavro::sim {

namespace {

// Where a page was scrolled: the first row at its top and how far above the
// visible top that row began, and the offset itself.
struct ScrollAnchor {
  std::shared_ptr<PSSpecifier> row;
  CGFloat rowOffset = 0;
  CGPoint contentOffset{};
};

std::optional<NSIndexPath> indexPathOf(PSListController& page, const std::shared_ptr<PSSpecifier>& row) {
  auto table = page.table();
  if (!table) return std::nullopt;
  for (long section = 0; section < table->numberOfSections(); ++section)
    for (long index = 0; index < table->numberOfRowsInSection(section); ++index) {
      NSIndexPath path = NSIndexPath::indexPathForRow(index, section);
      if (page.specifierAtIndexPath(path) == row) return path;
    }
  return std::nullopt;
}

std::optional<ScrollAnchor> anchorOf(PSListController& page) {
  auto table = page.table();
  if (!table) return std::nullopt;
  ScrollAnchor anchor;
  anchor.contentOffset = table->contentOffset();
  auto visible = table->indexPathsForVisibleRows();
  if (!visible.empty()) {
    anchor.row = page.specifierAtIndexPath(visible.front());
    anchor.rowOffset = anchor.contentOffset.y - table->rectForRowAtIndexPath(visible.front()).origin.y;
  }
  return anchor;
}

bool sameKind(const PSSpecifier& a, const PSSpecifier& b) {
  return a.cellType() == b.cellType() && a.detailControllerClassName() == b.detailControllerClassName();
}

// The row of `rows` that is `old` after a reload (see the header).
std::shared_ptr<PSSpecifier> matchingRow(const PSSpecifierArray& rows, const PSSpecifierArray* oldRows,
                                         const PSSpecifier& old) {
  auto find = [&](auto&& same) -> std::shared_ptr<PSSpecifier> {
    for (auto& row : rows)
      if (row && sameKind(*row, old) && same(*row)) return row;
    return nullptr;
  };
  if (auto row = find([&](const PSSpecifier& row) { return row.identifier() == old.identifier(); })) return row;
  if (!old.key().empty())
    if (auto row = find([&](const PSSpecifier& row) {
          return row.key() == old.key() && row.defaultsDomain() == old.defaultsDomain();
        }))
      return row;
  if (!oldRows) return nullptr;
  auto at = std::find_if(oldRows->begin(), oldRows->end(), [&](auto& row) { return row.get() == &old; });
  auto index = static_cast<std::size_t>(at - oldRows->begin());
  if (at != oldRows->end() && index < rows.size() && rows[index] && sameKind(*rows[index], old)) return rows[index];
  return nullptr;
}

void restore(PSListController& page, const ScrollAnchor& anchor) {
  auto table = page.table();
  if (!table) return;
  table->layoutIfNeeded();
  CGPoint offset = anchor.contentOffset;
  if (anchor.row) {
    auto rows = page.specifiers();
    auto row = rows ? matchingRow(*rows, nullptr, *anchor.row) : nullptr;
    if (auto path = row ? indexPathOf(page, row) : std::nullopt)
      offset.y = table->rectForRowAtIndexPath(*path).origin.y + anchor.rowOffset;
  }
  CGPoint lowest = table->minimumContentOffset(), highest = table->maximumContentOffset();
  offset.x = std::clamp(offset.x, lowest.x, std::max(lowest.x, highest.x));
  offset.y = std::clamp(offset.y, lowest.y, std::max(lowest.y, highest.y));
  table->setContentOffset(offset);
}

// Whether a list page still has its list in its bundle (pages without a named
// list have nothing to lose).
bool listStillExists(PSListController& page) {
  const std::string& name = page.specifierListName();
  auto bundle = page.bundle();
  if (name.empty() || !bundle || bundle->bundlePath().empty()) return true;
  std::filesystem::path list(name);
  return bundle->pathForResource(list.filename().string(), "plist", list.parent_path().string()).has_value();
}

// Reloads a page's rows with `reload`, keeping its scroll position.
template <typename Reload>
bool reloadKeepingScroll(PSListController& page, Reload&& reload) {
  auto anchor = anchorOf(page);
  if (!reload()) return false;
  if (anchor) restore(page, *anchor);
  return true;
}

// Keeps the page opened for a row of `parent` when that row is still there.
bool reloadChildPage(PSListController& parent, const PSSpecifierArray* parentRowsBefore,
                     const std::shared_ptr<PSViewController>& child) {
  auto rows = parent.specifiers();
  auto row = rows && child->specifier() ? matchingRow(*rows, parentRowsBefore, *child->specifier()) : nullptr;
  if (!row) return false;
  auto list = std::dynamic_pointer_cast<PSListController>(child);
  if (!list) {
    child->setSpecifier(row);
    return true;
  }
  return reloadKeepingScroll(*list, [&] {
    child->setSpecifier(row);  // a page of choices takes its choices from the row again
    if (!listStillExists(*list)) return false;
    list->reloadSpecifiers();
    return true;
  });
}

}  // namespace

void reloadBundlePages(UINavigationController& navigation, const std::string& bundleName) {
  auto pages = navigation.viewControllers();
  if (pages.empty()) return;
  if (auto first = std::dynamic_pointer_cast<SettingsRootController>(pages[0])) first->reloadEntries();
  if (pages.size() < 2 || bundleOfEntryPage(pages[1]) != bundleName) return;

  std::size_t keep = 1;
  auto entry = findSettingsEntryOfBundle(bundleName);
  auto entryPage = std::dynamic_pointer_cast<PSListController>(pages[1]);
  // The rows a page had before it reloaded, to find the row a child was opened for by its place.
  std::shared_ptr<PSSpecifierArray> rowsBefore = entryPage ? entryPage->specifiers() : nullptr;
  bool kept = entry && (!entryPage || reloadKeepingScroll(*entryPage, [&] { return reloadEntryPage(pages[1], *entry); }));
  if (kept) {
    for (keep = 2; keep < pages.size(); ++keep) {
      auto parent = std::dynamic_pointer_cast<PSListController>(pages[keep - 1]);
      auto child = std::dynamic_pointer_cast<PSViewController>(pages[keep]);
      if (!parent || !child || !child->specifier()) continue;  // the bundle's own page: left as it is
      auto childList = std::dynamic_pointer_cast<PSListController>(child);
      auto childRowsBefore = childList ? childList->specifiers() : nullptr;
      if (!reloadChildPage(*parent, rowsBefore.get(), child)) break;
      rowsBefore = childRowsBefore;
    }
  }
  if (keep >= pages.size()) return;
  pages.resize(keep);
  navigation.setViewControllers(pages, false);
}

}  // namespace kavro::sim
