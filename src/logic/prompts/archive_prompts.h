#pragma once
// The open and save prompts for archives.

#include "person/interaction.h"

namespace verbarium {

// The type list of every archive prompt: cff archives, then all files.
const FileFilter& ArchiveFileFilter();

// The chosen file's full path, or empty when the person cancelled. The
// current directory is the same afterwards, whatever the dialog did to it.
std::u16string PromptOpenPath(Interaction& interaction, const FileFilter& filter);
std::u16string PromptSavePath(Interaction& interaction, const FileFilter& filter);

}  // namespace verbarium
