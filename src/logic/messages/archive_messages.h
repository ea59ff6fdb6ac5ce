#pragma once
// What the windows tell the person when work on the archive or its tables
// failed: the main window and the baseline setup say the same.

namespace verbarium {

// An unpack that failed, whatever the reason.
inline constexpr char16_t kUnpackFailedMessage[] =
    u"cffの展開に失敗しました。\n・CRATEWORKが正しく配置されていない\n・cffファイルに異常がある\n"
    u"・ディスクに書き込める状態ではない\nなどの原因が考えられます。";

// A file chosen as an archive that does not begin with the archive signature.
inline constexpr char16_t kNotAnArchiveMessage[] = u"これは SpellForce 2 の cff ファイルではありません。";

// A restore point that could not be made; the path that failed follows on
// the next line.
inline constexpr char16_t kRestorePointFailedMessage[] = u"復元ポイントを作成できませんでした。";

}  // namespace verbarium
