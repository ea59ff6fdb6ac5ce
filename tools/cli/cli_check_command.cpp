// check: the quality checks of every entry, as diagnostics for people or as
// JSON for scripts; the exit code tells whether errors (or, strictly, any
// finding) were found.

#include <string>
#include <vector>

#include "cli_commands.h"
#include "json_text.h"
#include "platform/utf.h"
#include "table_pair_reasons.h"
#include "workbench/entry_checks.h"
#include "workbench/table_pairs.h"

namespace verbarium::cli {

namespace {

constexpr std::string_view kCheckUsage = "check PATH [--json] [--strict]";

struct TableFindings {
  std::string table;
  std::vector<CheckFinding> findings;
};

std::string_view severityName(CheckSeverity severity) {
  return severity == CheckSeverity::Error ? "error" : "warning";
}

std::string forPeople(const std::vector<TableFindings>& tables, const std::vector<Unmeasured>& unmeasured,
                      int errors, int warnings) {
  std::string out;
  for (const TableFindings& table : tables) {
    for (const CheckFinding& finding : table.findings) {
      out += table.table + ":" + std::to_string(finding.entry + 1) + ": " + std::string(severityName(finding.severity)) +
             ": " + std::string(finding.check) + ": " + toUtf8(finding.message) + "\n";
    }
  }
  appendUnmeasuredLines(out, "not compared with a baseline (only what the table alone shows):", unmeasured);
  out += std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") + std::to_string(warnings) +
         (warnings == 1 ? " warning\n" : " warnings\n");
  return out;
}

std::string forScripts(const std::vector<TableFindings>& tables, const std::vector<Unmeasured>& unmeasured) {
  std::string out = "{\"findings\": [";
  bool first = true;
  for (const TableFindings& table : tables) {
    for (const CheckFinding& finding : table.findings) {
      out += first ? "{\"table\": " : ", {\"table\": ";
      first = false;
      appendJsonString(out, fromUtf8(table.table));
      out += ", \"entry\": " + std::to_string(finding.entry + 1) + ", \"check\": \"" + std::string(finding.check) +
             "\", \"severity\": \"" + std::string(severityName(finding.severity)) + "\", \"message\": ";
      appendJsonString(out, finding.message);
      out += "}";
    }
  }
  out += "], ";
  appendUnmeasuredJson(out, unmeasured);
  out += "}\n";
  return out;
}

}  // namespace

int runCheck(CommandArgs args, CliOutput& output) {
  const CommandWords words = splitFlags(args, {u"--json", u"--strict"});
  const bool json = words.has(u"--json");
  const bool strict = words.has(u"--strict");
  const std::vector<std::u16string>& paths = words.operands;
  if (paths.size() != 1) return usageError(output, kCheckUsage);
  const std::optional<TableSet> set = tablesAt(paths[0]);
  if (!set) return refused(output, "no such table or directory: " + toUtf8(paths[0]));

  std::vector<TableFindings> tables;
  std::vector<Unmeasured> unmeasured;
  int errors = 0;
  int warnings = 0;
  for (const Path& name : set->tables) {
    const TablePair pair = readTablePair(set->directory, name);
    TableFindings table{toUtf8(name), {}};
    if (pair.measurable()) {
      table.findings = checkTablePair(pair.current, pair.original);
    } else {
      unmeasured.push_back({table.table, whyNotMeasured(pair)});
      // A table that cannot be read has nothing to check; one without its
      // baseline still has what a save would refuse.
      if (pair.failure == PairFailure::TableUnreadable) {
        ++errors;
        continue;
      }
      table.findings = checkTable(pair.current);
    }
    for (const CheckFinding& finding : table.findings) ++(finding.severity == CheckSeverity::Error ? errors : warnings);
    tables.push_back(std::move(table));
  }
  output.out += json ? forScripts(tables, unmeasured) : forPeople(tables, unmeasured, errors, warnings);
  return errors > 0 || (strict && warnings > 0) ? kExitRefused : kExitOk;
}

}  // namespace verbarium::cli
