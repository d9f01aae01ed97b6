// QorvImage in Japanese, in-process: each command's messages, summary lines
// and usage texts come from the catalog in Japanese when the run asks for it,
// and the catalog holds every text in both languages. The texts are the
// catalog's as a reader finds them, written out here.
#include <gtest/gtest.h>

#include <set>

#include "image/image_catalog.h"
#include "support/example_disc.h"

namespace qorv::test {
namespace {

TEST(ImageJapanese, EachCommandSpeaksJapanese) {
  ExampleDisc disc("zem");
  ASSERT_TRUE(disc.made());
  const std::string dir = disc.dir().path(), dlf = disc.dlf(), image = disc.at("disc.img");
  const std::string system = disc.at("out/zem_system.bin");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // the diagnostic stream holds it (or, for the help, standard output)
  };
  // In order: the image built first is verified next.
  const std::vector<Case> cases{
      {disc.build_args(image), 0, "Built"},
      {disc.build_args(image), 0, "はイメージに含まれません。イメージと一緒にディスクエミュレーターに渡してください\n"},
      {{"build", disc.at("none.dlf")}, 2, "Error: DLF " + disc.at("none.dlf") + " を読み込めません: "},
      {{"build", "--size", "x", dlf}, 1, "Error: --size x: バイト数ではありません (10 進数か、0x を付けた 16 進数で指定してください)\n"},
      {{"verify", "-C", dir, dlf, image}, 0, image + " を検証しました: 項目 12 個と FST エントリ 18 個が " + dlf + " と一致します\n"},
      {{"verify", "-C", dir, dlf, system}, 2, "Error: " + system + " が DLF より短くなっています: "},
      {{"list", disc.at("none.img")}, 2, "Error: " + disc.at("none.img") + " を読み込めません: "},
      {{"list", dlf}, 2, "はディスクヘッダーを収めるには短すぎます: "},
      {{"list", "--code-page", "932", image}, 0, ""},
      {{"map", "-C", dir, "--svg", disc.at("map.svg"), dlf}, 0, disc.at("map.svg") + " を書き込みました: 項目 11 個\n"},
      {{"map", "-C", dir, "--svg", dlf, dlf}, 2, "Error: マップ " + dlf + " は DLF そのものです\n"},
      {{"list"}, 1, "Error: コマンドラインを受け付けられません: IMAGE is required\n"},
      {{"--help"}, 0, "使い方: QorvImage [オプション] コマンド\n"},
      {{"--help"}, 0, "  list                        ディスクイメージまたはシステムファイルの内容を FST の順に一覧表示します\n"},
      {{"list", "--help"}, 0, "ディスク上の名前のエンコーディング: 932、utf-8、bytes のいずれか (省略時: 自動判定)\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    ImageRun run;
    run.language = Language::Japanese;
    RunResult r = run_image(c.args, run);
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::string &shown = c.args.back() == "--help" ? r.out : r.err;
    if (c.err == "Built")
      EXPECT_NE(r.err.find(image + host_text(" を作成しました: 項目 12 個、データ 115,668 バイト、")), std::string::npos) << r.err;
    else if (c.err.empty())
      EXPECT_EQ(r.err, "");
    else
      EXPECT_NE(shown.find(host_text(c.err)), std::string::npos) << shown;  // the host's encoding
  }
}

// Every row has both languages, the Japanese text is one (not a copy of the
// English), and both take the same placeholders.
TEST(ImageJapanese, TheCatalogHasEveryTextInBothLanguages) {
  auto placeholders = [](std::string_view text) {
    std::set<char> found;
    for (size_t i = 0; i + 1 < text.size(); ++i)
      if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') found.insert(text[i + 1]);
    return found;
  };
  std::set<std::string_view> names;
  for (const ImageCatalogRow &row : image_catalog()) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(names.insert(row.name).second);
    EXPECT_FALSE(row.english.empty());
    EXPECT_NE(row.japanese, row.english);
    EXPECT_TRUE(std::any_of(row.japanese.begin(), row.japanese.end(), [](char c) { return c & 0x80; }));
    EXPECT_EQ(placeholders(row.english), placeholders(row.japanese));
    EXPECT_EQ(image_catalog_text(row.id, Language::Japanese), row.japanese);
  }
  EXPECT_EQ(fill_placeholders("%2 (%1%) %9", {"a", "b"}), "b (a%) ");
}

}  // namespace
}  // namespace qorv::test
