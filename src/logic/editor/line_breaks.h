#pragma once
// A multi-line edit box shows only CR LF as a line break and puts CR LF in
// where the person types one, while a table's texts may break lines with LF
// alone, and an exchange file cannot carry CR LF at all. The edit dialog
// shows a text through these and takes it back through them, so that its
// breaks come back as the units they were.

#include <string>
#include <string_view>

namespace verbarium {

// The text as the edit box shows it: every LF without a CR before it gets one.
std::u16string toEditBoxBreaks(std::u16string_view text);

// The edited text with each CR LF in the entry's own form: CR LF when the
// text before the edit broke its lines so, LF when it broke them with LF
// alone; a text without breaks takes the form of its original, and LF where
// the original has none either.
std::u16string fromEditBoxBreaks(std::u16string_view edited, std::u16string_view before,
                                 std::u16string_view original);

}  // namespace verbarium
