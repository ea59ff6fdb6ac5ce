#include "prompts/archive_prompts.h"

#include "archive/current_directory_scope.h"

namespace verbarium {

namespace {

constexpr std::u16string_view kArchiveExtension = u"cff";

}  // namespace

const FileFilter& ArchiveFileFilter() {
  static const FileFilter filter = {
      {u"SpellForce 2 cff ファイル (*.cff)", u"*.cff"},
      {u"すべてのファイル (*.*)", u"*.*"},
  };
  return filter;
}

std::u16string PromptOpenPath(Interaction& interaction, const FileFilter& filter) {
  CurrentDirectoryScope keep;
  return interaction.askOpenPath(filter, kArchiveExtension);
}

std::u16string PromptSavePath(Interaction& interaction, const FileFilter& filter) {
  CurrentDirectoryScope keep;
  return interaction.askSavePath(filter, kArchiveExtension);
}

}  // namespace verbarium
