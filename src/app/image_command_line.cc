#include "app/image_command_line.h"

#include <cerrno>
#include <charconv>
#include <string>

#include <CLI/CLI.hpp>

#include "image/disc_map.h"
#include "image/image_builder.h"
#include "image/image_lister.h"
#include "image/image_report.h"
#include "image/image_verifier.h"
#include "host/disc_file.h"
#include "resources/version.h"

namespace qorv {

namespace {
std::string version_text() { return "QorvImage " + version::number_text() + "\n" + version::kNotice; }

// "0x" and hexadecimal digits, or decimal digits, to a 64-bit number.
bool parse_size(const std::string &text, std::optional<uint64_t> &size) {
  bool hex = text.starts_with("0x") || text.starts_with("0X");
  const char *begin = text.data() + (hex ? 2 : 0), *end = text.data() + text.size();
  uint64_t value = 0;
  auto [at, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
  if (begin == end || at != end || error != std::errc()) return false;
  size = value;
  return true;
}

struct Commands {
  CLI::App *build, *verify, *list, *map;
};

// Texts of the command line that are set after parsing.
struct Texts {
  std::string size;
  std::string code_page;
};

Commands describe(CLI::App &app, const ImageRun &run, ImageOptions &o, Texts &texts) {
  auto text = [&](ImageMessage id) { return image_text(run, id); };
  // The parser's own words, and what the commands inherit, before any command.
  auto formatter = app.get_formatter();
  formatter->label("Usage", text(ImageMessage::UsageUsage));
  formatter->label("OPTIONS", text(ImageMessage::UsageOptions));
  formatter->label("SUBCOMMAND", text(ImageMessage::UsageCommand));
  formatter->label("Positionals", text(ImageMessage::UsagePositionals));
  formatter->label("REQUIRED", text(ImageMessage::UsageRequired));
  app.option_defaults()->group(text(ImageMessage::UsageOptionsHeading));
  app.set_help_flag("-h,--help", text(ImageMessage::UsageHelp));
  app.set_version_flag("--version", version_text(), text(ImageMessage::UsageVersion));
  app.require_subcommand(1);
  app.footer(text(ImageMessage::UsageExitStatus));
  auto command = [&](const char *name, ImageMessage description) {
    CLI::App *sub = app.add_subcommand(name, text(description));
    sub->group(text(ImageMessage::UsageCommandsHeading));
    sub->get_help_ptr()->group(text(ImageMessage::UsageOptionsHeading));  // made before the defaults were taken
    return sub;
  };
  auto code_page = [&](CLI::App *sub) {
    sub->add_option("--code-page", texts.code_page, text(ImageMessage::UsageCodePage))
        ->option_text("NAME")
        ->check(CLI::IsMember({"932", "utf-8", "bytes"}));
  };

  CLI::App *build = command("build", ImageMessage::UsageBuild);
  build->add_option("-o,--output", o.image_path, text(ImageMessage::UsageOutput))
      ->option_text("IMAGE");
  build->add_option("--size", texts.size, text(ImageMessage::UsageSize))
      ->option_text("BYTES");
  build->add_option("-C,--directory", o.directory, text(ImageMessage::UsageDirectory))
      ->option_text("DIR");
  build->add_flag("-q,--quiet", o.quiet, text(ImageMessage::UsageQuiet));
  build->add_flag("--full", o.full, text(ImageMessage::UsageFull));
  build->add_option("--depfile", o.depfile_path, text(ImageMessage::UsageDepfile))->option_text("FILE");
  build->add_option("DLF", o.dlf_path, text(ImageMessage::UsageDlf))->required();

  CLI::App *verify = command("verify", ImageMessage::UsageVerify);
  verify->add_option("-C,--directory", o.directory, text(ImageMessage::UsageDirectory))
      ->option_text("DIR");
  code_page(verify);
  verify->add_option("DLF", o.dlf_path, text(ImageMessage::UsageDlf))->required();
  verify->add_option("IMAGE", o.image_path, text(ImageMessage::UsageImage))->required();

  CLI::App *list = command("list", ImageMessage::UsageList);
  list->add_flag("--json", o.json, text(ImageMessage::UsageJson));
  list->add_flag("--long", o.long_form, text(ImageMessage::UsageLong));
  code_page(list);
  list->add_option("IMAGE", o.image_path, text(ImageMessage::UsageListImage))->required();

  CLI::App *map = command("map", ImageMessage::UsageMap);
  map->add_option("--svg", o.svg_path, text(ImageMessage::UsageSvg))->option_text("FILE");
  map->add_option("--width", o.width, text(ImageMessage::UsageWidth))
      ->option_text("N")
      ->check(CLI::Range(10u, 1000u));
  map->add_option("-C,--directory", o.directory, text(ImageMessage::UsageDirectory))
      ->option_text("DIR");
  code_page(map);
  map->add_option("DLF", o.dlf_path, text(ImageMessage::UsageDlf))->required();
  return {build, verify, list, map};
}
}  // namespace

std::optional<int> parse_image_command_line(ImageRun &run, int argc, const char *const *argv) {
  CLI::App app(image_text(run, ImageMessage::UsageProgram), "QorvImage");
  Texts texts;
  Commands commands = describe(app, run, run.options, texts);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      errno = 0;
      app.exit(e, *run.out_stream, *run.diag_stream);  // --help, --version
      run.out_stream->flush();
      check_output_stream(run);
      return IMAGE_OK;
    }
    image_error(run, ImageMessage::CommandLineRejected, {e.what()});
    print_diagnostic(run, app.help());
    return IMAGE_USAGE;
  }
  ImageOptions &o = run.options;
  if (commands.build->parsed()) o.command = ImageCommand::Build;
  if (commands.verify->parsed()) o.command = ImageCommand::Verify;
  if (commands.list->parsed()) o.command = ImageCommand::List;
  if (commands.map->parsed()) o.command = ImageCommand::Map;
  if (!texts.size.empty() && !parse_size(texts.size, o.image_size)) {
    image_error(run, ImageMessage::NotByteCount, {texts.size});
    print_diagnostic(run, commands.build->help());
    return IMAGE_USAGE;
  }
  if (!texts.code_page.empty())
    o.code_page = texts.code_page == "932"     ? NameEncoding::CodePage932
                  : texts.code_page == "utf-8" ? NameEncoding::Utf8
                                               : NameEncoding::Bytes;
  return std::nullopt;
}

namespace {
int run_command(ImageRun &run) {
  switch (run.options.command) {
    case ImageCommand::Build: return build_image(run);
    case ImageCommand::Verify: return verify_image(run);
    case ImageCommand::List: return list_image(run);
    case ImageCommand::Map: return map_disc(run);
    default: return IMAGE_USAGE;
  }
}
}  // namespace

int run_image_program(ImageRun &run, int argc, const char *const *argv) {
  std::optional<int> ended = parse_image_command_line(run, argc, argv);
  int status = ended ? *ended : run_command(run);
  // A listing, a map or the help that did not arrive is no success.
  if (run.output_error != 0) {
    image_error(run, ImageMessage::CannotWriteStandardOutput, {error_text(run.output_error)});
    status = IMAGE_FAILED;
  }
  return status;
}

}  // namespace qorv
