// propagate: one translation for one original text across the edition;
// without --write it only tells what it would change.

#include <algorithm>
#include <string>
#include <vector>

#include "archive/restore_point.h"
#include "archive/work_files.h"
#include "cli_commands.h"
#include "formats/dat_file.h"
#include "json_text.h"
#include "platform/utf.h"
#include "table_pair_reasons.h"
#include "workbench/propagation.h"

namespace verbarium::cli {

namespace {

constexpr std::string_view kPropagateUsage = "propagate PATH [--write]";

// A text as a JSON string literal: quoted, its line breaks visible.
std::string quoted(std::u16string_view text) {
  std::string out;
  appendJsonString(out, text);
  return out;
}

}  // namespace

int runPropagate(CommandArgs args, CliOutput& output) {
  const CommandWords words = splitFlags(args, {u"--write"});
  const bool write = words.has(u"--write");
  const std::vector<std::u16string>& paths = words.operands;
  if (paths.size() != 1) return usageError(output, kPropagateUsage);
  const std::optional<TableSet> set = tablesAt(paths[0]);
  if (!set) return refused(output, "no such table or directory: " + toUtf8(paths[0]));

  std::vector<TablePair> pairs;
  for (const Path& name : set->tables) {
    pairs.push_back(readTablePair(set->directory, name));
    if (!pairs.back().measurable()) {
      output.err += "left out: " + toUtf8(name) + ": " + whyNotMeasured(pairs.back()) + "\n";
    }
  }
  const Propagation propagation = propagateTranslations(pairs);
  for (const PropagatedEntry& change : propagation.changes) {
    const TablePair& pair = pairs[change.table];
    output.out += toUtf8(pair.name) + "#" + std::to_string(change.entry + 1) + ": " +
                  quoted(pair.original.text(change.entry)) + " -> " + quoted(pair.current.text(change.entry)) + "\n";
  }
  for (const TranslationConflict& conflict : propagation.conflicts) {
    output.out += "conflict, left alone: " + quoted(conflict.original) + " has " +
                  std::to_string(conflict.translations.size()) + " translations:";
    for (const std::u16string& translation : conflict.translations) output.out += " " + quoted(translation);
    output.out += "\n";
  }
  const std::string counts = std::to_string(propagation.changes.size()) + " entries in " +
                             std::to_string(propagation.changedTables.size()) + " tables";
  if (!write) {
    output.out += "would change " + counts + (propagation.changes.empty() ? "\n" : " (--write changes them)\n");
    return kExitOk;
  }

  // Every changed table must hold its new texts before any is written.
  std::vector<Path> names;
  for (std::size_t t : propagation.changedTables) {
    const int cannotHold = firstEntryLayoutCannotHold(pairs[t].current);
    if (cannotHold >= 0) {
      return refused(output, toUtf8(pairs[t].name) + "#" + std::to_string(cannotHold + 1) +
                                 " cannot be stored in the table's layout; nothing was changed");
    }
    names.push_back(pairs[t].name);
  }
  if (!names.empty()) {
    const RestorePointResult kept = KeepRestorePoint(set->directory, names);
    if (!kept) {
      return refused(output, "cannot keep the tables in a restore point (" + toUtf8(kept.failedPath) +
                                 "); nothing was changed");
    }
    output.out += "the tables as they were are in restore point " + toUtf8(kept.point) + "\n";
  }
  std::vector<std::size_t> notWritten;
  for (std::size_t t : propagation.changedTables) {
    if (saveTextTableFile(JoinPath(set->directory, pairs[t].name), pairs[t].current) != TableSaveResult::Saved) {
      output.err += "cannot write " + toUtf8(pairs[t].name) + "; it is as it was\n";
      notWritten.push_back(t);
    }
  }
  if (notWritten.empty()) {
    output.out += "changed " + counts + "\n";
    return kExitOk;
  }
  std::size_t entries = 0;
  for (const PropagatedEntry& change : propagation.changes) {
    if (std::find(notWritten.begin(), notWritten.end(), change.table) == notWritten.end()) ++entries;
  }
  output.out += "changed " + std::to_string(entries) + " entries in " +
                std::to_string(propagation.changedTables.size() - notWritten.size()) + " tables\n";
  return kExitRefused;
}

}  // namespace verbarium::cli
