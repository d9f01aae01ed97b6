#include "tree/layout_off_pruning.h"

#include <vector>

#include "core/disc_text.h"
#include "core/run_state.h"
#include "match/wildcard.h"

namespace qorv {

namespace {

// One walk for all patterns: an entry goes when any pattern matches it, so
// applying the patterns one after another would remove the same entries.
// A removed directory's subtree is not walked, and the survivors are
// compacted in place (erasing one by one would be quadratic in a large
// directory). `cursor` holds the patterns' states after the directory's own
// disc path and a backslash (`prefix` characters), so each entry is matched
// from there on.
void prune(std::vector<FileEntry> &children, const WildcardSet &patterns, const WildcardSet::Cursor &cursor,
           size_t prefix) {
  size_t kept = 0;
  WildcardSet::Cursor inner;
  WildcardSet::Rest subject;
  for (size_t i = 0; i < children.size(); ++i) {
    FileEntry &entry = children[i];
    const std::string_view rest = std::string_view(entry.disc_path).substr(prefix);
    const bool removed = patterns.last_match(cursor, entry.disc_path, subject) >= 0;
    if (removed) continue;
    if (entry.is_directory()) {
      patterns.advance(cursor, std::string(rest) + '\\', inner);
      prune(entry.children, patterns, inner, entry.disc_path.size() + 1);
    }
    if (kept != i) children[kept] = std::move(entry);
    ++kept;
  }
  children.resize(kept);
}

}  // namespace

void prune_layout_off(RunState &run) {
  WildcardSet patterns(run.disc_code_page->double_byte());
  for (const Layer &layer : run.store.layers)
    if (const auto *table = find_table<LayoutTable>(layer, key::LayoutOffForm))
      for (const LayoutRequest &item : table->items) patterns.add(disc_text(run, item.file));
  if (patterns.size() == 0) return;

  const WildcardSet::Cursor root = patterns.start();
  prune(run.root_entry.children, patterns, root, 0);
  WildcardSet::Cursor top_cursor;
  for (FileEntry &top : run.path_list_trees) {
    patterns.advance(root, top.disc_path + '\\', top_cursor);
    prune(top.children, patterns, top_cursor, top.disc_path.size() + 1);
  }
}

}  // namespace qorv
