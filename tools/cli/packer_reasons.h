#pragma once
// The commands' words for a packer run that failed.

#include <string>

#include "archive/packer.h"

namespace verbarium::cli {

// The reason in a few words.
std::string whyPackerFailed(const PackerResult& result);

}  // namespace verbarium::cli
