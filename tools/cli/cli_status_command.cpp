// status: how far each table's translation has come, and the tables that
// cannot be measured, for people in aligned columns or for scripts in JSON.

#include <algorithm>
#include <string>
#include <vector>

#include "cli_commands.h"
#include "json_text.h"
#include "platform/utf.h"
#include "table_pair_reasons.h"
#include "workbench/progress.h"
#include "workbench/table_pairs.h"

namespace verbarium::cli {

namespace {

constexpr std::string_view kStatusUsage = "status PATH [--json]";

struct Measured {
  std::string table;
  TableProgress progress;
};

std::string padLeft(const std::string& text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// Table names are ASCII (their digits and the extension), so bytes are columns.
std::string padRight(const std::string& text, std::size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

void appendRow(std::string& out, const std::string& name, std::size_t nameWidth, const TableProgress& p) {
  out += padRight(name, nameWidth) + padLeft(std::to_string(p.entries), 10) + padLeft(std::to_string(p.translated), 12) +
         padLeft(std::to_string(p.untranslated()), 14) + padLeft(std::to_string(p.percent()) + "%", 9) + "\n";
}

std::string forPeople(const std::vector<Measured>& measured, const TableProgress& total,
                      const std::vector<Unmeasured>& unmeasured) {
  std::size_t nameWidth = std::string_view("total").size();
  for (const Measured& row : measured) nameWidth = std::max(nameWidth, row.table.size());
  nameWidth += 2;
  std::string out = padRight("table", nameWidth) + padLeft("entries", 10) + padLeft("translated", 12) +
                    padLeft("untranslated", 14) + padLeft("percent", 9) + "\n";
  for (const Measured& row : measured) appendRow(out, row.table, nameWidth, row.progress);
  appendRow(out, "total", nameWidth, total);
  if (!unmeasured.empty()) out += "\n";
  appendUnmeasuredLines(out, "cannot be measured:", unmeasured);
  return out;
}

void appendJsonProgress(std::string& out, const TableProgress& p) {
  out += "\"entries\": " + std::to_string(p.entries) + ", \"translated\": " + std::to_string(p.translated) +
         ", \"untranslated\": " + std::to_string(p.untranslated()) + ", \"percent\": " + std::to_string(p.percent());
}

std::string forScripts(const std::vector<Measured>& measured, const TableProgress& total,
                       const std::vector<Unmeasured>& unmeasured) {
  std::string out = "{\"tables\": [";
  for (std::size_t i = 0; i < measured.size(); ++i) {
    out += i == 0 ? "{\"table\": " : ", {\"table\": ";
    appendJsonString(out, fromUtf8(measured[i].table));
    out += ", ";
    appendJsonProgress(out, measured[i].progress);
    out += "}";
  }
  out += "], \"total\": {";
  appendJsonProgress(out, total);
  out += "}, ";
  appendUnmeasuredJson(out, unmeasured);
  out += "}\n";
  return out;
}

}  // namespace

int runStatus(CommandArgs args, CliOutput& output) {
  const CommandWords words = splitFlags(args, {u"--json"});
  const bool json = words.has(u"--json");
  const std::vector<std::u16string>& paths = words.operands;
  if (paths.size() != 1) return usageError(output, kStatusUsage);
  const std::optional<TableSet> set = tablesAt(paths[0]);
  if (!set) return refused(output, "no such table or directory: " + toUtf8(paths[0]));

  std::vector<Measured> measured;
  std::vector<Unmeasured> unmeasured;
  TableProgress total;
  for (const Path& name : set->tables) {
    const TablePair pair = readTablePair(set->directory, name);
    if (!pair.measurable()) {
      unmeasured.push_back({toUtf8(name), whyNotMeasured(pair)});
      continue;
    }
    measured.push_back({toUtf8(name), measureProgress(pair.current, pair.original)});
    total += measured.back().progress;
  }
  output.out += json ? forScripts(measured, total, unmeasured) : forPeople(measured, total, unmeasured);
  return kExitOk;
}

}  // namespace verbarium::cli
