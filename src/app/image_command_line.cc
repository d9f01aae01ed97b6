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
std::string parse_size(const std::string &text, std::optional<uint64_t> &size) {
  bool hex = text.starts_with("0x") || text.starts_with("0X");
  const char *begin = text.data() + (hex ? 2 : 0), *end = text.data() + text.size();
  uint64_t value = 0;
  auto [at, error] = std::from_chars(begin, end, value, hex ? 16 : 10);
  if (begin == end || at != end || error != std::errc())
    return "--size " + text + ": not a byte count (decimal, or hexadecimal with 0x)";
  size = value;
  return {};
}

struct Commands {
  CLI::App *build, *verify, *list, *map;
};

Commands describe(CLI::App &app, ImageOptions &o, std::string &size_text) {
  app.set_version_flag("--version", version_text(), "Print the version and exit");
  app.require_subcommand(1);
  app.footer("Exit status: 0 success, 1 command line rejected, 2 the work failed.");

  CLI::App *build = app.add_subcommand("build", "Build a disc image from a DLF and the files it names");
  build->add_option("-o,--output", o.image_path, "The image to write (default: the DLF's name with .img)")
      ->option_text("IMAGE");
  build->add_option("--size", size_text, "Make the image BYTES long (decimal or 0x hex; at least the DLF's end)")
      ->option_text("BYTES");
  build->add_option("-C,--directory", o.directory, "Folder that the DLF's relative host paths start from")
      ->option_text("DIR");
  build->add_flag("-q,--quiet", o.quiet, "No progress line");
  build->add_flag("--full", o.full, "Write the whole image anew, even where an update in place would do");
  build->add_option("--depfile", o.depfile_path, "Also write the image's dependencies to FILE (make and ninja form)")
      ->option_text("FILE");
  build->add_option("DLF", o.dlf_path, "The disk layout file")->required();

  CLI::App *verify = app.add_subcommand("verify", "Check an image against its DLF and the files it names");
  verify->add_option("-C,--directory", o.directory, "Folder that the DLF's relative host paths start from")
      ->option_text("DIR");
  verify->add_option("DLF", o.dlf_path, "The disk layout file")->required();
  verify->add_option("IMAGE", o.image_path, "The disc image")->required();

  CLI::App *list = app.add_subcommand("list", "List what is on a disc image or system file, in FST order");
  list->add_flag("--json", o.json, "One JSON document: an array of objects");
  list->add_flag("--long", o.long_form, "Add the FST index, and the index range of each directory");
  list->add_option("IMAGE", o.image_path, "A disc image, or a system file alone")->required();

  CLI::App *map = app.add_subcommand("map", "Show where the files of a DLF lie on the disc");
  map->add_option("--svg", o.svg_path, "Write the map as an SVG picture to FILE instead")->option_text("FILE");
  map->add_option("--width", o.width, "Columns of the text bar (default 80)")
      ->option_text("N")
      ->check(CLI::Range(10u, 1000u));
  map->add_option("-C,--directory", o.directory, "Folder that the DLF's relative host paths start from")
      ->option_text("DIR");
  map->add_option("DLF", o.dlf_path, "The disk layout file")->required();
  return {build, verify, list, map};
}
}  // namespace

int parse_image_command_line(ImageRun &run, int argc, const char *const *argv) {
  CLI::App app("Builds, checks, lists and maps disc images from the DLF and system file of QorvMakeDlf.", "QorvImage");
  std::string size_text;
  Commands commands = describe(app, run.options, size_text);
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
    image_error(run, e.what());
    image_diag_raw(run, app.help());
    return IMAGE_USAGE;
  }
  ImageOptions &o = run.options;
  if (commands.build->parsed()) o.command = ImageCommand::Build;
  if (commands.verify->parsed()) o.command = ImageCommand::Verify;
  if (commands.list->parsed()) o.command = ImageCommand::List;
  if (commands.map->parsed()) o.command = ImageCommand::Map;
  if (!size_text.empty()) {
    std::string problem = parse_size(size_text, o.image_size);
    if (!problem.empty()) {
      image_error(run, problem);
      image_diag_raw(run, commands.build->help());
      return IMAGE_USAGE;
    }
  }
  return -1;
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
  int status = parse_image_command_line(run, argc, argv);
  if (status < 0) status = run_command(run);
  // A listing, a map or the help that did not arrive is no success.
  if (run.output_error != 0) {
    image_error(run, "cannot write standard output: " + error_text(run.output_error));
    status = IMAGE_FAILED;
  }
  return status;
}

}  // namespace qorv
